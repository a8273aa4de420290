#pragma once
// Statistics from the game client's score file: over the games of one kind
// of table, the user's record against one player (wins, losses, draws, both
// players' average rank and score), or, when that player is the user, the
// user's own game count and averages. The file is only read.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stats/score_records.h"

namespace tamiru::stats {

struct ScoreQuery {
  UserNames user_names;
  std::string target;
  int table_type = table_type::kEastOnly;

  // The target is one of the user's own handles: the report of own averages.
  bool OwnTarget() const;
};

// `handle` is not empty and is one of the user's own, byte for byte.
bool IsOwnHandle(const UserNames& user_names, std::string_view handle);

// The tally of one target over a score file given in blocks of any size,
// from the records of the one record reader.
class ScoreFileParser {
 public:
  explicit ScoreFileParser(const ScoreQuery& query);
  ScoreFileParser(const ScoreFileParser&) = delete;
  ScoreFileParser& operator=(const ScoreFileParser&) = delete;

  // As ScoreRecordReader::Consume.
  std::size_t Consume(std::string_view data, bool at_end) { return reader_.Consume(data, at_end); }
  const ScoreTally& tally() const { return tally_; }
  ScoreRecordReader& reader() { return reader_; }

 private:
  int table_type_;
  HandlePatterns target_;
  bool own_target_;
  ScoreTally tally_;
  ScoreRecordReader reader_;
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

// The target the "対戦成績" button reports on, from the selection list's
// items and its selected index (-1: none): the selected item, else the first
// one. nullopt, no report at all, when the user has no handle, the list is
// empty, or the first item taken for want of a selection is empty.
std::optional<std::string> ChooseReportTarget(const UserNames& user_names, const std::vector<std::string>& items,
                                              int selected);

// A value as the "%.3g" conversion writes it.
std::string FormatThreeDigits(float value);

// An average as the report computes it (rounded to single precision) and
// writes it; `games` is above 0.
float SingleAverage(long long sum, long long games);
std::string AverageText(long long sum, long long games);

}  // namespace tamiru::stats
