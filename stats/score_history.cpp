#include "stats/score_history.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "stats/score_report.h"
#include "text/number.h"

namespace tamiru::stats {

namespace {

constexpr std::string_view kNoGame = "試合の記録がありません";

std::string Percent(long long part, long long whole) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f%%", 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return buffer;
}

std::int32_t AsInt32(long long value) { return static_cast<std::int32_t>(value); }

}  // namespace

ScoreHistoryBuilder::ScoreHistoryBuilder(const UserNames& user_names)
    : user_names_(user_names), reader_(user_names, [this](const ScoreRecord& record) { AddRecord(record); }) {}

void ScoreHistoryBuilder::AddRecord(const ScoreRecord& record) {
  names_.clear();
  for (int i = 0; i < record.entry_count; ++i) {
    const ScoreEntry& entry = record.entries[static_cast<std::size_t>(i)];
    for (std::size_t r = 0; r < entry.run_count; ++r) {
      const std::string_view name = entry.Run(r);
      if (name == user_names_[0] || name == user_names_[1] || name == user_names_[2]) continue;
      auto known = std::find_if(names_.begin(), names_.end(), [&](const NameInRecord& n) { return n.name == name; });
      if (known == names_.end()) known = names_.insert(names_.end(), {name, 0});
      known->entries |= 1U << i;
    }
  }
  for (int kind = 0; kind < table_type::kCount; ++kind) {
    if (!record.IsOfKind(kind)) continue;
    AddGame(record, kind);
    for (const NameInRecord& name : names_) AddOpponent(record, kind, name);
  }
}

void ScoreHistoryBuilder::AddGame(const ScoreRecord& record, int kind) {
  const int user = UserEntryIndex(record);
  if (user < 0) return;
  const ScoreEntry& entry = record.entries[static_cast<std::size_t>(user)];
  KindHistory& history = history_.kinds[static_cast<std::size_t>(kind)];
  ++history.games;
  history.rank_sum += entry.rank;
  history.score_sum += entry.score;
  if (entry.rank >= 1 && entry.rank <= 4) ++history.rank_counts[static_cast<std::size_t>(entry.rank - 1)];
  history.trend.push_back({AsInt32(entry.rank), AsInt32(entry.score)});
}

void ScoreHistoryBuilder::AddOpponent(const ScoreRecord& record, int kind, const NameInRecord& in_record) {
  const std::string_view name = in_record.name;
  patterns_.Set(name);
  ScoreTally game;
  // Only a field that holds the name between spaces can hold " name ".
  TallyRecord(record, kind, patterns_, false, game, in_record.entries);
  if (game.Games() == 0) return;
  KindHistory& history = history_.kinds[static_cast<std::size_t>(kind)];
  auto [where, added] = row_of_[static_cast<std::size_t>(kind)].try_emplace(std::string(name), history.opponents.size());
  if (added) history.opponents.push_back({std::string(name), {}});
  ScoreTally& tally = history.opponents[where->second].tally;
  tally.wins += game.wins;
  tally.losses += game.losses;
  tally.draws += game.draws;
  tally.user_score_sum += game.user_score_sum;
  tally.user_rank_sum += game.user_rank_sum;
  tally.target_score_sum += game.target_score_sum;
  tally.target_rank_sum += game.target_rank_sum;
}

ScoreHistory HistoryFromBytes(std::string_view file_bytes, const UserNames& user_names) {
  ScoreHistoryBuilder builder(user_names);
  builder.reader().Consume(file_bytes, true);
  return builder.Take();
}

std::optional<ScoreHistory> ReadScoreHistory(const std::string& path, const UserNames& user_names) {
  ScoreHistoryBuilder builder(user_names);
  if (!ReadScoreFile(path, builder.reader())) return std::nullopt;
  return builder.Take();
}

std::string HistorySummaryText(const KindHistory& kind, int table_type) {
  if (kind.games == 0) return std::string(kNoGame);
  std::string text = "試合数 " + text::DecimalText(kind.games);
  const int ranks = EntriesOfKind(table_type);
  for (int rank = 1; rank <= ranks; ++rank) {
    const long long count = kind.rank_counts[static_cast<std::size_t>(rank - 1)];
    text += "  " + text::DecimalText(rank) + "位 " + text::DecimalText(count) + " (" + Percent(count, kind.games) + ")";
  }
  text += "  平均順位 " + AverageText(kind.rank_sum, kind.games);
  text += "  平均得点 " + AverageText(kind.score_sum, kind.games);
  text += "  合計得点 " + text::DecimalText(kind.score_sum);
  return text;
}

// ---- The opponent table ----

const std::array<std::string, kOpponentColumnCount>& OpponentColumnNames() {
  static const std::array<std::string, kOpponentColumnCount> names{
      "相手", "対戦数", "勝", "敗", "分", "自分の平均順位", "相手の平均順位", "自分の平均得点", "相手の平均得点"};
  return names;
}

std::array<std::string, kOpponentColumnCount> OpponentCells(const OpponentRow& row) {
  const ScoreTally& t = row.tally;
  const long long games = t.Games();
  return {row.name,
          text::DecimalText(games),
          text::DecimalText(t.wins),
          text::DecimalText(t.losses),
          text::DecimalText(t.draws),
          AverageText(t.user_rank_sum, games),
          AverageText(t.target_rank_sum, games),
          AverageText(t.user_score_sum, games),
          AverageText(t.target_score_sum, games)};
}

void OpponentSort::Click(OpponentColumn clicked) {
  descending = clicked == column ? !descending : false;
  column = clicked;
}

namespace {

// The number a column sorts by; the averages as shown (single precision).
double SortValue(const OpponentRow& row, OpponentColumn column) {
  const ScoreTally& t = row.tally;
  const long long games = t.Games();
  switch (column) {
    case OpponentColumn::kName: return 0;
    case OpponentColumn::kGames: return static_cast<double>(games);
    case OpponentColumn::kWins: return static_cast<double>(t.wins);
    case OpponentColumn::kLosses: return static_cast<double>(t.losses);
    case OpponentColumn::kDraws: return static_cast<double>(t.draws);
    case OpponentColumn::kUserRank: return SingleAverage(t.user_rank_sum, games);
    case OpponentColumn::kTargetRank: return SingleAverage(t.target_rank_sum, games);
    case OpponentColumn::kUserScore: return SingleAverage(t.user_score_sum, games);
    case OpponentColumn::kTargetScore: return SingleAverage(t.target_score_sum, games);
  }
  return 0;
}

}  // namespace

std::vector<std::uint32_t> SortedOrder(const std::vector<OpponentRow>& rows, const OpponentSort& sort) {
  std::vector<std::uint32_t> order(rows.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t i, std::uint32_t j) {
    const OpponentRow& a = rows[i];
    const OpponentRow& b = rows[j];
    if (sort.column != OpponentColumn::kName) {
      const double x = SortValue(a, sort.column);
      const double y = SortValue(b, sort.column);
      if (x != y) return sort.descending ? x > y : x < y;
      return a.name < b.name;
    }
    return sort.descending ? b.name < a.name : a.name < b.name;
  });
  return order;
}

namespace {

std::string CsvField(const std::string& cell) {
  if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (char c : cell) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

template <typename Cells>
void AppendCsvRow(std::string& csv, const Cells& cells) {
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) csv += ',';
    csv += CsvField(cells[i]);
  }
  csv += "\r\n";
}

// A spreadsheet takes a cell that begins with one of these for a formula;
// a handle such as "=A1" or "-x" is kept a text by a leading apostrophe,
// which the spreadsheet shows not.
std::string AsTextCell(const std::string& name) {
  if (name.empty() || std::string_view("=+-@\t\r").find(name.front()) == std::string_view::npos) return name;
  return "'" + name;
}

}  // namespace

std::string OpponentsCsv(const std::vector<OpponentRow>& rows, const std::vector<std::uint32_t>& order) {
  std::string csv;
  AppendCsvRow(csv, OpponentColumnNames());
  for (std::uint32_t i : order) {
    auto cells = OpponentCells(rows[i]);
    cells[static_cast<std::size_t>(OpponentColumn::kName)] = AsTextCell(cells[static_cast<std::size_t>(OpponentColumn::kName)]);
    AppendCsvRow(csv, cells);
  }
  return csv;
}

// ---- The trend ----

std::vector<double> MovingAverage(const std::vector<TrendPoint>& points, double half_life) {
  std::vector<double> averages;
  averages.reserve(points.size());
  const double weight = 1.0 - std::exp2(-1.0 / half_life);
  for (const TrendPoint& point : points) {
    const double rank = point.rank;
    averages.push_back(averages.empty() ? rank : averages.back() + weight * (rank - averages.back()));
  }
  return averages;
}

std::vector<long long> CumulativeScore(const std::vector<TrendPoint>& points) {
  std::vector<long long> sums;
  sums.reserve(points.size());
  long long sum = 0;
  for (const TrendPoint& point : points) sums.push_back(sum += point.score);
  return sums;
}

double ExpectedRank(int table_type) { return table_type == table_type::kThreePlayer ? 2.0 : 2.5; }

}  // namespace tamiru::stats
