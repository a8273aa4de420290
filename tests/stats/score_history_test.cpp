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

// Every row is the report's tally for its player, every player the report
// counts a game against has a row, and with one handle the summary is the
// report's own averages for that handle.
void ExpectAgreesWithReport(std::string_view bytes, const UserNames& users, const std::vector<std::string>& others) {
  const ScoreHistory history = HistoryFromBytes(bytes, users);
  for (int kind = 0; kind < table_type::kCount; ++kind) {
    const KindHistory& k = history.kinds[static_cast<std::size_t>(kind)];
    for (const OpponentRow& row : k.opponents) {
      EXPECT_GT(row.tally.Games(), 0) << row.name;
      EXPECT_EQ(TallyScores(bytes, {users, row.name, kind}), row.tally) << kind << " " << row.name;
    }
    for (const std::string& name : others) {
      const bool has_row = std::any_of(k.opponents.begin(), k.opponents.end(),
                                       [&](const OpponentRow& row) { return row.name == name; });
      if (!has_row) {
        EXPECT_EQ(TallyScores(bytes, {users, name, kind}).Games(), 0) << kind << " " << name;
      }
    }
    const int handles = !users[0].empty() + !users[1].empty() + !users[2].empty();
    if (handles != 1) continue;
    const std::string& own = !users[0].empty() ? users[0] : !users[1].empty() ? users[1] : users[2];
    const ScoreTally mine = TallyScores(bytes, {users, own, kind});
    EXPECT_EQ(k.games, mine.Games()) << kind;
    EXPECT_EQ(k.rank_sum, mine.user_rank_sum) << kind;
    EXPECT_EQ(k.score_sum, mine.user_score_sum) << kind;
    EXPECT_EQ(static_cast<long long>(k.trend.size()), k.games);
  }
}

TEST(ScoreHistory, AgreesWithTheReportOnTheEdgeCases) {
  const std::string body = PlayersLine({"me", "foe", "p1", "p2"}) +
                           Results({{1, "me", 30}, {2, "foe", 10}, {3, "p1", -10}, {4, "p2", -30}}) + "\n";
  const std::string good = Header() + body;
  const std::string three = Header("三人打ち") + "  持点35000 [1]me R1500 [2]foe R1500 [3]p1 R1500\n" +
                            Results({{1, "p1", 40}, {2, "foe", 0}, {3, "me", -40}});
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"kinds", good + Header("東南戦") + body + three + Header("チャット中心") + body},
      {"a header naming two kinds", "===== 三人打ち 東風戦 =====\n" + body},
      {"target listed last without a space", Header() + "  持点27000 [1]me R1500 [2]foe\n" + Results({{1, "me", 3}, {2, "foe", 1}, {3, "a", 0}, {4, "b", 0}})},
      {"entry missing", Header() + body.substr(0, body.find("  2位")) + EntryLine({2, "zz", 0}) + EntryLine({3, "p1", 0}) +
                            EntryLine({4, "p2", 0}) + good},
      {"cut inside the results", good + good.substr(0, good.size() - 30) + good},
      {"field without a rank", Header() + PlayersLine({"me", "foe", "p1", "p2"}) + "  ---- 試合結果 ----\n" +
                                   EntryLine({1, "me", 3}) + "  -位 foe            +1\n" + EntryLine({3, "p1", 0}) +
                                   EntryLine({4, "p2", 0}) + good},
      {"two names in one field", Header() + PlayersLine({"me", "foe", "p1", "p2"}) + "  ---- 試合結果 ----\n" +
                                     "  1位 me foe p1       +30\n" + EntryLine({2, "foe", 1}) + EntryLine({3, "p1", 0}) +
                                     EntryLine({4, "p2", 0})},
      {"a handle filling the field", Game({"me", "abcdefghijklmn", "p1", "p2"}, {{1, "abcdefghijklmn", 3}, {2, "me", 1}, {3, "p1", 0}, {4, "p2", 0}})},
      {"double-byte and prefix handles", Game({"山田", "me", "山田太郎", "‐x"}, {{1, "山田太郎", 40}, {2, "me", 5}, {3, "山田", -15}, {4, "‐x", -30}}) +
                                             Game({"x", "me", "表示", "ソ連"}, {{1, "x", 40}, {2, "表示", 5}, {3, "me", -15}, {4, "ソ連", -30}})},
  };
  const std::vector<std::string> others{"foe", "p1", "p2", "a", "b", "zz", "x", "山田", "山田太郎", "‐x", "田"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectAgreesWithReport(c.bytes, {"me", "", ""}, others);
    ExpectAgreesWithReport(testing::WithCrLf(c.bytes), {"", "", "me"}, others);
  }
}

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

std::vector<std::string> Names(const std::vector<OpponentRow>& rows) {
  std::vector<std::string> names;
  for (const OpponentRow& row : rows) names.push_back(row.name);
  return names;
}

TEST(ScoreHistory, SortsNumbersAsNumbersAndReversesOnTheSecondClick) {
  std::vector<OpponentRow> rows{Row("b", 9, 0, -5), Row("a", 10, 0, 30), Row("c", 9, 0, 20), Row("d", 1, 1, -100)};
  OpponentSort sort;  // games descending, then name
  SortOpponents(rows, sort);
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"a", "b", "c", "d"}));
  sort.Click(OpponentColumn::kUserScore);  // another column: ascending
  SortOpponents(rows, sort);
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"d", "b", "c", "a"}));  // -50, -0.556, 2.22, 3
  sort.Click(OpponentColumn::kUserScore);
  SortOpponents(rows, sort);
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"a", "c", "b", "d"}));
  sort.Click(OpponentColumn::kName);
  SortOpponents(rows, sort);
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"a", "b", "c", "d"}));
  sort.Click(OpponentColumn::kName);
  SortOpponents(rows, sort);
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"d", "c", "b", "a"}));
}

TEST(ScoreHistory, CsvQuotesWhatNeedsIt) {
  const std::string csv = OpponentsCsv({Row("a,b", 1, 0, 3), Row("q\"t", 0, 1, -2), Row("plain", 1, 1, 1)});
  EXPECT_EQ(csv,
            "相手,対戦数,勝,敗,分,自分の平均順位,相手の平均順位,自分の平均得点,相手の平均得点\r\n"
            "\"a,b\",1,1,0,0,1,2,3,0\r\n"
            "\"q\"\"t\",1,0,1,0,2,1,-2,0\r\n"
            "plain,2,1,1,0,1.5,1.5,0.5,0\r\n");
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

// ---- Generated files of thousands of games ----

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The generator's own knowledge of its games: (kind, target) -> tally.
std::map<std::pair<int, std::string>, ScoreTally> ReadExpected(const std::filesystem::path& path) {
  std::map<std::pair<int, std::string>, ScoreTally> expected;
  for (const std::string& line : text::SplitLines(ReadBytes(path))) {
    std::vector<std::string> f;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
    if (f.size() < 9) continue;
    expected[{std::stoi(f[0]), f[1]}] = {std::stoll(f[2]), std::stoll(f[3]), std::stoll(f[4]), std::stoll(f[5]),
                                         std::stoll(f[6]), std::stoll(f[7]), std::stoll(f[8])};
  }
  return expected;
}

TEST(ScoreHistoryGenerated, EveryRowIsTheReportOfItsPlayer) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("tamiru-history-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(dir);
  // One, two and three handles; double-byte ones, and ones whose bytes begin
  // or end another player's handle (山田 / 山田太郎, x / ‐x, abc / zabc).
  // The generator takes its arguments in UTF-8.
  const auto utf8 = [](const char8_t* text) { return std::string(reinterpret_cast<const char*>(text)); };
  const std::vector<std::pair<std::string, UserNames>> users{
      {"me1", {"me1", "", ""}},
      {utf8(u8"山田太郎,x"), {"山田太郎", "", "x"}},
      {utf8(u8"abc,ソ連,R1500"), {"abc", "ソ連", "R1500"}},
  };
  int seed = 21;
  for (const auto& [argument, names] : users) {
    SCOPED_TRACE(argument);
    const std::string path = (dir / "mjscore.txt").string();
    const std::string command = "python3 " TAMIRU_SOURCE_DIR "/tools/scoregen.py --records 3000 --seed " +
                                std::to_string(seed++) + " --users '" + argument + "' --targets all --out " + path +
                                " --expect " + (dir / "expected.txt").string() + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const auto history = ReadScoreHistory(path, names);
    ASSERT_TRUE(history);
    const auto expected = ReadExpected(dir / "expected.txt");
    const std::string bytes = ReadBytes(path);
    for (int kind = 0; kind < table_type::kCount; ++kind) {
      const KindHistory& k = history->kinds[static_cast<std::size_t>(kind)];
      std::size_t players = 0;
      for (const auto& [key, tally] : expected) {
        const bool own = key.second == names[0] || key.second == names[1] || key.second == names[2];
        players += key.first == kind && !own && tally.Games() > 0 ? 1 : 0;
      }
      EXPECT_EQ(k.opponents.size(), players) << kind;
      EXPECT_GT(players, 20U) << kind;
      for (const OpponentRow& row : k.opponents) {
        EXPECT_EQ(row.tally, expected.at({kind, row.name})) << kind << " " << row.name;
      }
      // Straight against the report for the most met players.
      for (std::size_t i = 0; i < 3 && i < k.opponents.size(); ++i) {
        EXPECT_EQ(TallyScores(bytes, {names, k.opponents[i].name, kind}), k.opponents[i].tally);
      }
      if (names[1].empty() && names[2].empty()) {
        const ScoreTally mine = TallyScores(bytes, {names, names[0], kind});
        EXPECT_EQ(k.games, mine.Games());
        EXPECT_EQ(k.rank_sum, mine.user_rank_sum);
        EXPECT_EQ(k.score_sum, mine.user_score_sum);
      }
      EXPECT_GT(k.games, 100) << kind;
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tamiru::stats
