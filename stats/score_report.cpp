#include "stats/score_report.h"

#include <cstdio>

#include "text/number.h"

namespace tamiru::stats {

namespace {
constexpr std::string_view kNoRecord = "試合の記録がありません";
}  // namespace

bool IsOwnHandle(const UserNames& user_names, std::string_view handle) {
  return !handle.empty() && (handle == user_names[0] || handle == user_names[1] || handle == user_names[2]);
}

bool ScoreQuery::OwnTarget() const { return IsOwnHandle(user_names, target); }

ScoreFileParser::ScoreFileParser(const ScoreQuery& query)
    : table_type_(query.table_type),
      target_(query.target),
      own_target_(query.OwnTarget()),
      reader_(query.user_names,
              [this](const ScoreRecord& record) { TallyRecord(record, table_type_, target_, own_target_, tally_); }) {}

ScoreTally TallyScores(std::string_view file_bytes, const ScoreQuery& query) {
  ScoreFileParser parser(query);
  parser.Consume(file_bytes, true);
  return parser.tally();
}

std::string FormatThreeDigits(float value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3g", static_cast<double>(value));
  return buffer;
}

float SingleAverage(long long sum, long long games) {
  return static_cast<float>(static_cast<double>(sum) / static_cast<double>(games));
}

std::string AverageText(long long sum, long long games) { return FormatThreeDigits(SingleAverage(sum, games)); }

std::string FormatScoreReport(const ScoreTally& tally, const ScoreQuery& query) {
  const long long games = tally.Games();
  if (games == 0) return std::string(kNoRecord);
  const std::string user_score = AverageText(tally.user_score_sum, games);
  const std::string user_rank = AverageText(tally.user_rank_sum, games);
  if (query.OwnTarget()) {
    // Both ranks come from the target's own entry: every game is a draw.
    return "試合数 " + text::DecimalText(tally.draws) + " 平均順位 " + user_rank + " 平均得点 " + user_score;
  }
  std::string report = text::DecimalText(tally.wins) + "勝" + text::DecimalText(tally.losses) + "敗";
  if (tally.draws > 0) report += text::DecimalText(tally.draws) + "分";
  report += " 平均順位" + user_rank + "：" + AverageText(tally.target_rank_sum, games);
  report += " 平均得点" + user_score + "：" + AverageText(tally.target_score_sum, games);
  return report;
}

std::string ScoreReportText(std::string_view file_bytes, const ScoreQuery& query) {
  return FormatScoreReport(TallyScores(file_bytes, query), query);
}

std::optional<ScoreTally> TallyScoreFile(const std::string& path, const ScoreQuery& query) {
  ScoreFileParser parser(query);
  if (!ReadScoreFile(path, parser.reader())) return std::nullopt;
  return parser.tally();
}

std::optional<std::string> ScoreReportForFile(const std::string& path, const ScoreQuery& query) {
  const auto tally = TallyScoreFile(path, query);
  if (!tally) return std::nullopt;
  return FormatScoreReport(*tally, query);
}

std::optional<std::string> ChooseReportTarget(const UserNames& user_names, const std::vector<std::string>& items,
                                              int selected) {
  if (user_names[0].empty() && user_names[1].empty() && user_names[2].empty()) return std::nullopt;
  if (items.empty()) return std::nullopt;
  if (selected >= 0 && static_cast<std::size_t>(selected) < items.size()) {
    return items[static_cast<std::size_t>(selected)];
  }
  if (items.front().empty()) return std::nullopt;
  return items.front();
}

}  // namespace tamiru::stats
