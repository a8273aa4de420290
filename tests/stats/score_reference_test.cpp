// The shipped score reader, report and history alike, held against the
// reference reader written straight from the record rules.
#include <gtest/gtest.h>

#include "stats/score_history.h"
#include "stats/score_report.h"
#include "tests/stats/score_reference.h"
#include "tests/stats/score_reference_check.h"
#include "tests/stats/score_test_util.h"

namespace tamiru::stats {
namespace {

using testing::EndLine;
using testing::ExpectMatchesReference;
using testing::EntryLine;
using testing::Game;
using testing::Header;
using testing::PlayersLine;
using testing::Results;
using testing::WithCrLf;

std::string Cut(const std::string& text, std::string_view before, std::size_t extra = 0) {
  return text.substr(0, text.find(before) + extra);
}

// The shapes that real score files hold, small enough to check every name.
std::vector<std::pair<std::string, std::string>> Shapes() {
  const std::string duel = Game({"me", "foe", "p1", "p2"}, {{1, "me", 30}, {2, "foe", 10}, {3, "p1", -10}, {4, "p2", -30}});
  const std::string lost = Game({"p1", "foe", "me", "p2"}, {{1, "foe", 45}, {2, "p1", 5}, {3, "p2", -10}, {4, "me", -40}});
  const std::string three = Header("三人打ち") + "  持点35000 [1]me R1500 [2]foe R1500 [3]p1 R1500\n" +
                            Results({{1, "p1", 40}, {2, "foe", 0}, {3, "me", -40}}) + EndLine();
  const std::string two_handles = Game({"me", "foe", "alt", "p1"}, {{1, "alt", 40}, {2, "foe", 5}, {3, "me", -15}, {4, "p1", -30}});
  const std::string three_handles = Game({"me", "foe", "alt", "third"}, {{1, "foe", 40}, {2, "third", 5}, {3, "me", -15}, {4, "alt", -30}});
  const std::string unsorted = Game({"me", "foe", "alt", "p1"}, {{3, "me", -15}, {1, "alt", 40}, {2, "foe", 5}, {4, "p1", -30}});
  const std::string results_line = "  ---- 試合結果 ----\n";
  const std::string two_entries = Header() + PlayersLine({"me", "p1", "p2", "p3"}) + results_line +
                                  EntryLine({1, "me", 30}) + EntryLine({2, "p1", 10});
  return {
      {"kinds and the chat table", duel + Game({"me", "foe", "p1", "p2"}, {{2, "me", 3}, {1, "foe", 9}, {3, "p1", 0}, {4, "p2", -9}}, "東南戦") +
                                       three + Game({"me", "foe", "p1", "p2"}, {{1, "me", 3}, {2, "foe", 1}, {3, "p1", 0}, {4, "p2", 0}}, "チャット中心")},
      {"cut inside the results, then a whole game", two_entries + lost},
      {"cut inside the results at the end", duel + two_entries},
      {"cut inside a field and inside a score", Cut(duel, "  3位", 7) + lost + Cut(duel, "  4位", 22) + lost},
      {"cut before the results, in the middle and at the end", Cut(duel, results_line) + lost + Cut(lost, results_line)},
      {"cut inside the header and the players line", Cut(duel, "開始") + lost + Cut(duel, "[3]") + duel},
      {"a header naming two kinds", "===== 三人打ち：東風戦卓 1卓 開始 =====\n" + three.substr(three.find('\n') + 1) +
                                       "===== 東風戦 東南戦 =====\n" + duel.substr(duel.find('\n') + 1)},
      {"two and three of the user's handles at one table", two_handles + three_handles + unsorted},
      {"double-byte handles and handles that end others", Game({"山田", "me", "山田太郎", "‐x"}, {{1, "山田太郎", 40}, {2, "me", 5}, {3, "山田", -15}, {4, "‐x", -30}}) +
                                                             Game({"x", "me", "表示", "ソ連"}, {{1, "x", 40}, {2, "表示", 5}, {3, "me", -15}, {4, "ソ連", -30}})},
      {"handles of 13 bytes and more", Game({"me", "abcdefghijklm", "abcdefghijklmn", "p2"}, {{1, "abcdefghijklm", 3}, {2, "me", 1}, {3, "abcdefghijklmn", 0}, {4, "p2", 0}})},
      {"fields without a number", Header() + PlayersLine({"me", "foe", "p1", "p2"}) + results_line + EntryLine({1, "me", 3}) +
                                      "  -位 foe            +1\n" + EntryLine({3, "p1", 0}) + EntryLine({4, "p2", 0}) +
                                      Header() + PlayersLine({"me", "foe", "p1", "p2"}) + results_line +
                                      "  1位 me             xx\n" + EntryLine({2, "foe", 0}) + duel},
      {"an entry missing, and two names in one field", Header() + PlayersLine({"me", "foe", "p1", "p2"}) + results_line +
                                                           "  1位 me foe p1       +30\n" + EntryLine({2, "zz", 1}) +
                                                           EntryLine({3, "p1", 0}) + EntryLine({4, "p2", 0}) + duel},
      {"lines over 255 bytes", std::string(300, 'y') + duel + "  " + std::string(270, '=') + "\n" +
                                   Header() + "  持点27000" + std::string(250, ' ') + "[1]me R1500 [2]foe R1500\n" + lost},
      {"the last player without a space after the handle", Header() + "  持点27000 [1]me R1500 [2]foe\n" +
                                                                Results({{1, "me", 3}, {2, "foe", 1}, {3, "a", 0}, {4, "b", 0}})},
      {"a header right after a header", Header() + duel + Header("東南戦") + Header() + lost},
  };
}

TEST(ScoreReference, EveryShapeAgreesWithTheShippedReader) {
  const std::vector<UserNames> user_sets{{"me", "", ""}, {"", "alt", "me"}, {"me", "alt", "third"}, {"山田", "x", ""}};
  for (const auto& [what, file] : Shapes()) {
    SCOPED_TRACE(what);
    for (const UserNames& users : user_sets) {
      const std::vector<std::string> names = reference::CandidateNames(reference::ReadRecords(file, users, {}), users);
      ExpectMatchesReference(file, users, names, {.literal = true});
      ExpectMatchesReference(WithCrLf(file), users, names, {});
    }
  }
}

// What the mends of the literal rules change, each on a small file: the
// literal reading first, then the answer given.
TEST(ScoreReference, MendsOfTheLiteralRules) {
  const UserNames two{"me", "alt", ""};
  const std::string cut_short = Header() + PlayersLine({"me", "p1", "p2", "p3"}) + "  ---- 試合結果 ----\n" +
                                EntryLine({1, "me", 30}) + EntryLine({2, "p1", 10}) +
                                Game({"me", "foe", "p4", "p5"}, {{2, "me", 5}, {1, "foe", 20}, {3, "p4", -5}, {4, "p5", -20}});
  const std::string two_kinds = "===== 三人打ち：東風戦卓 1卓 開始 =====\n  持点35000 [1]me R1500 [2]foe R1500 [3]p1 R1500\n" +
                                Results({{1, "me", 40}, {2, "foe", 0}, {3, "p1", -40}}) + EndLine();
  const std::string seated_twice = Game({"me", "foe", "alt", "p1"}, {{3, "me", -15}, {1, "alt", 40}, {2, "foe", 5}, {4, "p1", -30}});
  struct Case {
    const char* what;
    std::string file;
    UserNames users;
    int kind;
    std::string target;
    std::string report;
  };
  const Case cases[] = {
      {"a game cut short does not hide the next", cut_short, {"me", "", ""}, 0, "foe", "0勝1敗 平均順位2：1 平均得点5：20"},
      {"a header naming two kinds, read as three players", two_kinds, {"me", "", ""}, 2, "foe", "1勝0敗 平均順位1：2 平均得点40：0"},
      {"... and as four, where its end line is no entry", two_kinds, {"me", "", ""}, 0, "foe", "試合の記録がありません"},
      {"an own handle as target takes its own entry", seated_twice, two, 0, "me", "試合数 1 平均順位 3 平均得点 -15"},
      {"... and the other handle its own", seated_twice, two, 0, "alt", "試合数 1 平均順位 1 平均得点 40"},
      {"the better placed handle, not the first listed", seated_twice, two, 0, "foe", "1勝0敗 平均順位1：2 平均得点40：5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ScoreReportText(c.file, {c.users, c.target, c.kind}), c.report);
    EXPECT_EQ(FormatScoreReport(reference::Tally(c.file, c.users, c.kind, c.target), {c.users, c.target, c.kind}), c.report);
  }
  // The literal readings, which the mends change.
  // One walk for every question reads the cut record through, since it
  // holds the user; the walk for "foe" alone skips it, as the user has it.
  EXPECT_EQ(reference::Tally(cut_short, {"me", "", ""}, 0, "foe", {.header_restarts = false}).Games(), 0);
  EXPECT_EQ(reference::Tally(cut_short, {"me", "", ""}, 0, "foe", {.header_restarts = false, .one_walk = false}).Games(), 1);
  const ScoreTally literal_own = reference::Tally(seated_twice, two, 0, "me", {.one_seat = false, .one_walk = false});
  EXPECT_EQ(literal_own.user_rank_sum, 3 + 1);  // both handles' ranks over one game
  EXPECT_EQ(reference::Tally(seated_twice, two, 0, "foe", {.one_seat = false, .one_walk = false}).wins, 1);
  // The history counts the game once, with the better placed handle.
  const KindHistory east = HistoryFromBytes(seated_twice, two).kinds[0];
  EXPECT_EQ(east.games, 1);
  EXPECT_EQ(east.rank_sum, 1);
  EXPECT_EQ(east.score_sum, 40);
  EXPECT_EQ(HistoryFromBytes(cut_short, {"me", "", ""}).kinds[0].games, 1);
}

}  // namespace
}  // namespace tamiru::stats
