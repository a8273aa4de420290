#pragma once
// The match history: from one read of the score file, for each kind of
// table, the user's games (count, ranks, scores, in file order) and the
// record against every player met, each row the very tally that the
// one-line report gives for that player.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "stats/score_records.h"

namespace tamiru::stats {

struct OpponentRow {
  std::string name;
  ScoreTally tally;
};

// One of the user's games, in file order.
struct TrendPoint {
  std::int32_t rank = 0;
  std::int32_t score = 0;
};

struct KindHistory {
  long long games = 0;
  std::array<long long, 4> rank_counts{};  // 1位 to 4位
  long long rank_sum = 0;
  long long score_sum = 0;
  std::vector<TrendPoint> trend;
  std::vector<OpponentRow> opponents;  // in the order first met
};

struct ScoreHistory {
  std::array<KindHistory, table_type::kCount> kinds;
};

// Builds the history from the records of the one record reader. A game of
// the user's is a record holding one of the user's entries (several handles
// at one table: the better placed one, as the report takes it). A player is
// any handle standing between spaces in a result field of the record that
// is not one of the user's; it gets a row once the report would count a
// game against it.
class ScoreHistoryBuilder {
 public:
  explicit ScoreHistoryBuilder(const UserNames& user_names);
  ScoreHistoryBuilder(const ScoreHistoryBuilder&) = delete;
  ScoreHistoryBuilder& operator=(const ScoreHistoryBuilder&) = delete;

  ScoreRecordReader& reader() { return reader_; }
  ScoreHistory Take() { return std::move(history_); }

 private:
  void AddRecord(const ScoreRecord& record);
  void AddGame(const ScoreRecord& record, int kind);
  // A name of the record and the entries whose fields hold it between spaces.
  struct NameInRecord {
    std::string_view name;
    unsigned entries = 0;
  };
  void AddOpponent(const ScoreRecord& record, int kind, const NameInRecord& name);

  UserNames user_names_;
  ScoreHistory history_;
  std::array<std::unordered_map<std::string, std::size_t>, table_type::kCount> row_of_;
  std::vector<NameInRecord> names_;  // of the record being added
  HandlePatterns patterns_;
  ScoreRecordReader reader_;
};

ScoreHistory HistoryFromBytes(std::string_view file_bytes, const UserNames& user_names);

// The history of the file at `path`; nullopt when it cannot be opened or read.
std::optional<ScoreHistory> ReadScoreHistory(const std::string& path, const UserNames& user_names);

// The summary line of a kind: games, each rank's count and share, average
// rank and score, total score; "試合の記録がありません" without a game.
std::string HistorySummaryText(const KindHistory& kind, int table_type);

// ---- The opponent table ----

enum class OpponentColumn {
  kName, kGames, kWins, kLosses, kDraws, kUserRank, kTargetRank, kUserScore, kTargetScore
};
inline constexpr int kOpponentColumnCount = 9;

// Column captions, in order.
const std::array<std::string, kOpponentColumnCount>& OpponentColumnNames();

// A row's cells as shown: counts in decimal, averages as the report writes them.
std::array<std::string, kOpponentColumnCount> OpponentCells(const OpponentRow& row);

struct OpponentSort {
  OpponentColumn column = OpponentColumn::kGames;
  bool descending = true;
  // A click on a header: the same column again reverses, another starts
  // ascending.
  void Click(OpponentColumn clicked);
};

// The order in which the rows are shown, as indexes into `rows`: by the
// column (numbers as numbers, averages as shown), equal values by name
// ascending. The rows themselves stay where they are, held once.
std::vector<std::uint32_t> SortedOrder(const std::vector<OpponentRow>& rows, const OpponentSort& sort);

// The table as CSV, its rows in `order`: a header row of the column names,
// then one row per opponent; CR LF after every row; a field holding a comma,
// a quote or a line break is quoted, its quotes doubled; a handle that a
// spreadsheet would take for a formula (=, +, -, @ first) begins with an
// apostrophe. Shift_JIS like every text.
std::string OpponentsCsv(const std::vector<OpponentRow>& rows, const std::vector<std::uint32_t>& order);

// ---- The trend ----

// Exponential moving average whose weight of a value halves after
// `half_life` further values; it starts at the first value.
std::vector<double> MovingAverage(const std::vector<TrendPoint>& points, double half_life);
std::vector<long long> CumulativeScore(const std::vector<TrendPoint>& points);

// The user's expected average rank at a kind of table: 2.5, or 2.0 for "三人打ち".
double ExpectedRank(int table_type);

}  // namespace tamiru::stats
