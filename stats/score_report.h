#pragma once
// Statistics from the game client's score file: over the games of one kind
// of table, the user's record against one player (wins, losses, draws, both
// players' average rank and score), or, when that player is the user, the
// user's own game count and averages. The file is only read.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/controls.h"

namespace tamiru::stats {

// The user's own handles (UserName1 to UserName3); an empty one matches nothing.
using UserNames = std::array<std::string, 3>;

// Kinds of table of the setting TableType.
namespace table_type {
inline constexpr int kEastOnly = 0;     // "東風戦"
inline constexpr int kEastSouth = 1;    // "東南戦"
inline constexpr int kThreePlayer = 2;  // "三人打ち"
}  // namespace table_type

struct ScoreQuery {
  UserNames user_names;
  std::string target;
  int table_type = table_type::kEastOnly;
};

struct ScoreTally {
  long long wins = 0;
  long long losses = 0;
  long long draws = 0;
  long long user_score_sum = 0;
  long long user_rank_sum = 0;
  long long target_score_sum = 0;
  long long target_rank_sum = 0;

  long long Games() const { return wins + losses + draws; }
  bool operator==(const ScoreTally&) const = default;
};

// Reads a score file given in blocks of any size. A record counts when both
// the user's and the target's result entries are read in full; a record cut
// short (by the end of the file, a missing number, or the next record's
// header before its results) counts nothing.
class ScoreFileParser {
 public:
  explicit ScoreFileParser(const ScoreQuery& query);

  // Reads what it can of `data` and returns the number of bytes used. The
  // caller gives the rest again (a few hundred bytes at most) in front of the
  // next block. With `at_end` the data runs to the end of the file and is
  // used whole.
  std::size_t Consume(std::string_view data, bool at_end);
  const ScoreTally& tally() const { return tally_; }

 private:
  enum class State { kSeekHeader, kPlayers, kSeekResults, kField, kScoreSpace, kScoreSign, kScoreDigits, kDone };
  struct Entry {
    bool rank_read = false;
    long long rank = 0;
    bool user = false;
    bool target = false;
  };

  bool SeekHeader(std::string_view data, bool at_end, std::size_t& pos);
  bool TestPlayers(std::string_view data, bool at_end, std::size_t& pos);
  bool SeekResults(std::string_view data, bool at_end, std::size_t& pos);
  bool ReadField(std::string_view data, bool at_end, std::size_t& pos);
  bool ReadScore(std::string_view data, bool at_end, std::size_t& pos);
  bool IsHeader(std::string_view piece) const;
  void StartRecord();
  void FinishEntry(long long score);
  void FinishRecord();

  std::string kind_;  // empty: no header matches
  int entries_per_record_ = 4;
  std::array<std::string, 3> user_players_patterns_;  // empty: never matches
  std::array<std::string, 3> user_result_patterns_;
  std::string target_players_pattern_;
  std::string target_result_pattern_;

  State state_ = State::kSeekHeader;
  ScoreTally tally_;

  // The record being read.
  int entry_index_ = 0;
  char field_[20] = {};
  std::size_t field_size_ = 0;
  Entry entry_;
  bool negative_ = false;
  int digits_ = 0;
  long long value_ = 0;
  bool user_seen_ = false;
  bool target_seen_ = false;
  long long user_rank_ = 0;
  long long target_rank_ = 0;
  ScoreTally record_sums_;
};

ScoreTally TallyScores(std::string_view file_bytes, const ScoreQuery& query);

// The report line for a tally: "試合の記録がありません" when no game counts.
std::string FormatScoreReport(const ScoreTally& tally, const ScoreQuery& query);

// The report for a whole score file given as bytes.
std::string ScoreReportText(std::string_view file_bytes, const ScoreQuery& query);

// The tally of the file at `path`, read in large blocks; nullopt when the
// file cannot be opened or a read fails.
std::optional<ScoreTally> TallyScoreFile(const std::string& path, const ScoreQuery& query);

// The report for the file at `path`; nullopt when it cannot be read.
std::optional<std::string> ScoreReportForFile(const std::string& path, const ScoreQuery& query);

// Sets the report as ComboBox1's text; when the file cannot be read,
// ComboBox1 keeps its text and nothing is shown.
void ReportScoresFor(const std::string& path, const ScoreQuery& query, platform::Edit& ComboBox1);

// The target is the selected item of ListBox2, else its first item; nothing
// happens when the user has no handle, ListBox2 is empty, or the target
// taken from the first item is empty.
void ShowScoreReport(const UserNames& user_names, const platform::ItemList& ListBox2, platform::Edit& ComboBox1,
                     const std::string& path, int table_type);

// A value as the "%.3g" conversion writes it.
std::string FormatThreeDigits(float value);

}  // namespace tamiru::stats
