#include "stats/score_history.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "stats/score_report.h"
#include "tests/stats/score_test_util.h"
#include "text/list_file.h"

namespace tamiru::stats {
namespace {

using testing::EntryLine;
using testing::Game;
using testing::Header;
using testing::PlayersLine;
using testing::Results;

TEST(ScoreHistory, TwoOfTheUsersHandlesAtOneTableCountOnceWithTheBetterPlace) {
  const UserNames users{"me", "alt", ""};
  const std::string file = Game({"me", "foe", "alt", "p1"}, {{1, "alt", 40}, {2, "foe", 5}, {3, "me", -15}, {4, "p1", -30}});
  const ScoreHistory history = HistoryFromBytes(file, users);
  const KindHistory& east = history.kinds[0];
  EXPECT_EQ(east.games, 1);
  EXPECT_EQ(east.rank_sum, 1);
  EXPECT_EQ(east.score_sum, 40);
  ASSERT_EQ(east.opponents.size(), 2U);  // foe and p1, not the user's handles
  EXPECT_EQ(east.opponents[0].name, "foe");
  EXPECT_EQ(east.opponents[0].tally, (ScoreTally{1, 0, 0, 40, 1, 5, 2}));
  EXPECT_EQ(ScoreReportText(file, {users, "foe", 0}), "1勝0敗 平均順位1：2 平均得点40：5");
  EXPECT_EQ(ScoreReportText(file, {users, "me", 0}), "試合数 1 平均順位 3 平均得点 -15");
}

TEST(ScoreHistory, SummaryText) {
  KindHistory kind;
  EXPECT_EQ(HistorySummaryText(kind, 0), "試合の記録がありません");
  kind.games = 3;
  kind.rank_counts = {1, 1, 1, 0};
  kind.rank_sum = 6;
  kind.score_sum = 20;
  EXPECT_EQ(HistorySummaryText(kind, 2),
            "試合数 3  1位 1 (33.3%)  2位 1 (33.3%)  3位 1 (33.3%)  平均順位 2  平均得点 6.67  合計得点 20");
  EXPECT_NE(HistorySummaryText(kind, 0).find("4位 0 (0.0%)"), std::string::npos);
}

OpponentRow Row(std::string name, long long wins, long long losses, long long user_score_sum) {
  return {std::move(name), {wins, losses, 0, user_score_sum, wins + 2 * losses, 0, 2 * wins + losses}};
}

std::vector<std::string> Names(const std::vector<OpponentRow>& rows, const OpponentSort& sort) {
  std::vector<std::string> names;
  for (std::uint32_t i : SortedOrder(rows, sort)) names.push_back(rows[i].name);
  return names;
}

TEST(ScoreHistory, SortsNumbersAsNumbersAndReversesOnTheSecondClick) {
  std::vector<OpponentRow> rows{Row("b", 9, 0, -5), Row("a", 10, 0, 30), Row("c", 9, 0, 20), Row("d", 1, 1, -100)};
  OpponentSort sort;  // games descending, then name
  EXPECT_EQ(Names(rows, sort), (std::vector<std::string>{"a", "b", "c", "d"}));
  sort.Click(OpponentColumn::kUserScore);  // another column: ascending
  EXPECT_EQ(Names(rows, sort), (std::vector<std::string>{"d", "b", "c", "a"}));  // -50, -0.556, 2.22, 3
  sort.Click(OpponentColumn::kUserScore);
  EXPECT_EQ(Names(rows, sort), (std::vector<std::string>{"a", "c", "b", "d"}));
  sort.Click(OpponentColumn::kName);
  EXPECT_EQ(Names(rows, sort), (std::vector<std::string>{"a", "b", "c", "d"}));
  sort.Click(OpponentColumn::kName);
  EXPECT_EQ(Names(rows, sort), (std::vector<std::string>{"d", "c", "b", "a"}));
}

TEST(ScoreHistory, CsvQuotesWhatNeedsIt) {
  const std::string csv = OpponentsCsv(
      {Row("a,b", 1, 0, 3), Row("q\"t", 0, 1, -2), Row("plain", 1, 1, 1), Row("=1+1", 1, 0, 1), Row("-x", 1, 0, 1)},
      {0, 1, 2, 3, 4});
  EXPECT_EQ(csv,
            "相手,対戦数,勝,敗,分,自分の平均順位,相手の平均順位,自分の平均得点,相手の平均得点\r\n"
            "\"a,b\",1,1,0,0,1,2,3,0\r\n"
            "\"q\"\"t\",1,0,1,0,2,1,-2,0\r\n"
            "plain,2,1,1,0,1.5,1.5,0.5,0\r\n"
            "'=1+1,1,1,0,0,1,2,1,0\r\n"
            "'-x,1,1,0,0,1,2,1,0\r\n");  // the -2 above stays a number
}

TEST(ScoreHistory, MovingAveragesAndCumulativeScore) {
  std::vector<TrendPoint> points{{4, -30}};
  for (int i = 0; i < 10; ++i) points.push_back({1, 10});
  const std::vector<double> ten = MovingAverage(points, 10);
  ASSERT_EQ(ten.size(), points.size());
  EXPECT_DOUBLE_EQ(ten[0], 4);
  EXPECT_NEAR(ten[10], 2.5, 1e-12);  // the first value's weight halved after ten more
  const std::vector<double> one = MovingAverage({{4, 0}, {2, 0}, {2, 0}}, 1);
  EXPECT_EQ(one, (std::vector<double>{4, 3, 2.5}));
  EXPECT_TRUE(MovingAverage({}, 50).empty());
  EXPECT_EQ(CumulativeScore(points).back(), 70);
  EXPECT_EQ(ExpectedRank(2), 2.0);
  EXPECT_EQ(ExpectedRank(0), 2.5);
}

}  // namespace
}  // namespace tamiru::stats
