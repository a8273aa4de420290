#include "stats/score_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/stats/score_test_util.h"

namespace tamiru::stats {
namespace {

using testing::EndLine;
using testing::EntryLine;
using testing::Game;
using testing::Header;
using testing::PlayersLine;
using testing::Results;
using testing::WithCrLf;

ScoreQuery Query(std::string target, int table_type = 0, UserNames users = {"me", "", ""}) {
  return ScoreQuery{std::move(users), std::move(target), table_type};
}

// One four-player game of the user "me" against "foe" with two others.
std::string Duel(int my_rank, int my_score, int foe_rank, int foe_score, std::string_view kind = "東風戦") {
  std::vector<testing::ResultEntry> entries;
  int other = 1;
  for (int rank = 1; rank <= 4; ++rank) {
    if (rank == my_rank) entries.push_back({rank, "me", my_score});
    if (rank == foe_rank) entries.push_back({rank, "foe", foe_score});
  }
  while (entries.size() < 4) {
    entries.push_back({4, "p" + std::to_string(other++), 0});
  }
  return Game({"p1", "me", "foe", "p2"}, entries, kind);
}

// ---- The report texts ----

TEST(ScoreReport, ExampleWithoutDraws) {
  const std::string file = Duel(1, 30, 2, 10) + Duel(2, 5, 3, -10) + Duel(1, 20, 4, -30) + Duel(3, -12, 2, 15) +
                           Duel(4, -20, 2, 10);
  EXPECT_EQ(ScoreReportText(file, Query("foe")), "3勝2敗 平均順位2.2：2.6 平均得点4.6：-1");
}

TEST(ScoreReport, ExampleWithDraws) {
  const std::string file = Duel(1, 30, 2, 10) + Duel(2, 5, 3, -10) + Duel(1, 20, 4, -30) + Duel(3, -12, 2, 15) +
                           Duel(4, -20, 2, 10) + Duel(2, -5, 2, 0);
  EXPECT_EQ(ScoreReportText(file, Query("foe")), "3勝2敗1分 平均順位2.17：2.5 平均得点3：-0.833");
}

TEST(ScoreReport, ExampleOwnAverages) {
  const int ranks[12] = {1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 3};
  const int scores[12] = {40, 10, -10, -30, 40, 10, -10, -30, 40, 10, -10, -45};
  std::string file;
  for (int i = 0; i < 12; ++i) file += Duel(ranks[i], scores[i], ranks[i] == 1 ? 2 : 1, 0);
  EXPECT_EQ(ScoreReportText(file, Query("me")), "試合数 12 平均順位 2.42 平均得点 1.25");
}

TEST(ScoreReport, OwnSecondHandleAsTarget) {
  const UserNames users{"me", "alt", ""};
  std::string file;
  const int ranks[3] = {1, 2, 4};
  const int scores[3] = {30, 5, -20};
  for (int i = 0; i < 3; ++i) {
    std::vector<testing::ResultEntry> entries;
    for (int rank = 1; rank <= 4; ++rank) {
      entries.push_back({rank, rank == ranks[i] ? "alt" : "q" + std::to_string(rank), rank == ranks[i] ? scores[i] : 0});
    }
    file += Game({"q1", "alt", "q3", "q4"}, entries);
  }
  EXPECT_EQ(ScoreReportText(file, Query("alt", 0, users)), "試合数 3 平均順位 2.33 平均得点 5");
}

TEST(ScoreReport, ZeroLossesAreWrittenZeroDrawsAreNot) {
  EXPECT_EQ(ScoreReportText(Duel(1, 30, 2, 10), Query("foe")), "1勝0敗 平均順位1：2 平均得点30：10");
  EXPECT_EQ(ScoreReportText(Duel(3, 0, 3, 0), Query("foe")), "0勝0敗1分 平均順位3：3 平均得点0：0");
}

TEST(ScoreReport, NoRecordTexts) {
  const std::string no_record = "試合の記録がありません";
  EXPECT_EQ(ScoreReportText("", Query("foe")), no_record);
  EXPECT_EQ(ScoreReportText(Duel(1, 30, 2, 10), Query("foe", 1)), no_record);  // wrong table kind
  EXPECT_EQ(ScoreReportText(Duel(1, 30, 2, 10), Query("foe", 3)), no_record);  // no such kind
  EXPECT_EQ(ScoreReportText(Duel(1, 30, 2, 10), Query("foe", -1)), no_record);
  EXPECT_EQ(ScoreReportText(Duel(1, 30, 2, 10), Query("stranger")), no_record);
  EXPECT_EQ(ScoreReportText(Duel(1, 30, 2, 10), Query("foe", 0, {"", "", ""})), no_record);
}

TEST(ScoreReport, ThreeSignificantDigitsOfSinglePrecision) {
  EXPECT_EQ(FormatThreeDigits(0.0F), "0");
  EXPECT_EQ(FormatThreeDigits(-0.8333333F), "-0.833");
  EXPECT_EQ(FormatThreeDigits(27400.0F), "2.74e+04");
  EXPECT_EQ(FormatThreeDigits(1000.0F), "1e+03");
  EXPECT_EQ(FormatThreeDigits(999.0F), "999");
  EXPECT_EQ(FormatThreeDigits(99.96F), "100");  // rounds across a digit
  EXPECT_EQ(FormatThreeDigits(9.996F), "10");
  EXPECT_EQ(FormatThreeDigits(-99.96F), "-100");
  EXPECT_EQ(FormatThreeDigits(0.0001F), "0.0001");
  EXPECT_EQ(FormatThreeDigits(0.00001234F), "1.23e-05");
  // 249 / 2000 is 0.1245 exactly; in double it prints 0.125, in single
  // precision (0.12449999) it prints 0.124.
  ScoreTally tally;
  tally.wins = 2000;
  tally.user_score_sum = 249;
  tally.user_rank_sum = 2000;
  tally.target_score_sum = 27400 * 2000LL;
  tally.target_rank_sum = 4000;
  EXPECT_EQ(FormatScoreReport(tally, Query("foe")), "2000勝0敗 平均順位1：2 平均得点0.124：2.74e+04");
}

// ---- Which records count ----

TEST(ScoreRecords, HeaderRules) {
  const std::string game_body = PlayersLine({"me", "foe", "p1", "p2"}) +
                                Results({{1, "me", 30}, {2, "foe", 10}, {3, "p1", -10}, {4, "p2", -30}}) + EndLine();
  EXPECT_EQ(TallyScores(Header() + game_body, Query("foe")).Games(), 1);
  EXPECT_EQ(TallyScores(Header("東風戦", "チャット中心卓") + game_body, Query("foe")).Games(), 0);
  EXPECT_EQ(TallyScores("=====東風戦 =====\n" + game_body, Query("foe")).Games(), 0);  // no "===== "
  EXPECT_EQ(TallyScores("===== 東風戦=====\n" + game_body, Query("foe")).Games(), 0);  // no " ====="
  EXPECT_EQ(TallyScores("===== 東風戦 =====\n" + game_body, Query("foe")).Games(), 1);
  EXPECT_EQ(TallyScores(Header("東南戦") + game_body, Query("foe", 1)).Games(), 1);
  EXPECT_EQ(TallyScores(Header("東南戦") + game_body, Query("foe", 0)).Games(), 0);
}

TEST(ScoreRecords, EastSouthReadsFourEntries) {
  // The target finished fourth: its entry is the fourth one read.
  const std::string file = Duel(1, 50, 4, -40, "東南戦");
  const ScoreTally tally = TallyScores(file, Query("foe", 1));
  EXPECT_EQ(tally.wins, 1);
  EXPECT_EQ(tally.target_rank_sum, 4);
  EXPECT_EQ(tally.target_score_sum, -40);
}

TEST(ScoreRecords, ThreePlayerReadsThreeEntries) {
  const std::string file = Header("三人打ち") + "  持点35000 [1]me R1500 [2]foe R1500 [3]p1 R1500\n" +
                           Results({{1, "p1", 40}, {2, "foe", 0}, {3, "me", -40}}) + EndLine() +
                           Duel(1, 10, 2, 5);
  const ScoreTally tally = TallyScores(file, Query("foe", 2));
  EXPECT_EQ(tally, (ScoreTally{0, 1, 0, -40, 3, 0, 2}));
}

TEST(ScoreRecords, PlayersLineRules) {
  const std::vector<testing::ResultEntry> entries{{1, "me", 30}, {2, "foe", 10}, {3, "p1", -10}, {4, "p2", -30}};
  const std::string rest = Results(entries) + EndLine();
  // The target without any of the user's handles.
  EXPECT_EQ(TallyScores(Header() + PlayersLine({"xme", "foe", "p1", "p2"}) + rest, Query("foe")).Games(), 0);
  // The target listed last with no space after its handle.
  EXPECT_EQ(TallyScores(Header() + "  持点27000 [1]me R1500 [2]p1 R1500 [3]p2 R1500 [4]foe\n" + rest, Query("foe"))
                .Games(),
            0);
  // The user's third handle counts like the first.
  EXPECT_EQ(TallyScores(Header() + PlayersLine({"me", "foe", "p1", "p2"}) + rest, Query("foe", 0, {"a", "b", "me"}))
                .Games(),
            1);
}

TEST(ScoreRecords, HandleBytesAcrossCharacterBoundary) {
  // "‐" is 81 5D: its trail byte is "]", so "‐x " holds the bytes of "]x ".
  // Only a handle x standing after a real "]" counts; x is here listed last
  // without a space, so the record does not count.
  const std::string file = Header() + "  持点27000 [1]me R1500 [2]‐x R1500 [3]p1 R1500 [4]x\n" +
                           Results({{1, "me", 30}, {2, "x", 10}, {3, "‐x", -10}, {4, "p1", -30}}) + EndLine();
  EXPECT_EQ(TallyScores(file, Query("x")).Games(), 0);
  // Double-byte handles match whole characters in the result field as well.
  const std::string kanji = Game({"山田", "me", "表示", "ソ連"},
                                 {{1, "表示", 40}, {2, "me", 5}, {3, "山田", -15}, {4, "ソ連", -30}});
  EXPECT_EQ(TallyScores(kanji, Query("表示")), (ScoreTally{0, 1, 0, 5, 2, 40, 1}));
  EXPECT_EQ(TallyScores(kanji, Query("田")).Games(), 0);
}

TEST(ScoreRecords, EmptyHandlesNeverMatch) {
  // A player without a handle: "] " and "  " are in the lines, which an
  // empty handle's pattern would otherwise find.
  const std::string file = Header() + "  持点27000 [1] R1500 [2]foe R1500 [3]me R1500 [4]p2 R1500\n" +
                           Results({{1, "", 30}, {2, "foe", 10}, {3, "me", -10}, {4, "p2", -30}}) + EndLine();
  EXPECT_EQ(TallyScores(file, Query("foe", 0, {"", "", "zz"})).Games(), 0);
  EXPECT_EQ(TallyScores(file, Query("", 0, {"me", "", ""})).Games(), 0);
  EXPECT_EQ(TallyScores(file, Query("foe", 0, {"", "me", ""})), (ScoreTally{0, 1, 0, -10, 3, 10, 2}));
}

// ---- Entries that are missing or cut short ----

TEST(ScoreEntries, MissingEntryDoesNotReuseEarlierRank) {
  // Second game: the target sits at the table but has no result entry.
  const std::string second = Header() + PlayersLine({"me", "foe", "p1", "p2"}) +
                             Results({{1, "p1", 30}, {2, "me", 10}, {3, "p2", -10}, {4, "p3", -30}}) + EndLine();
  const ScoreTally tally = TallyScores(Duel(1, 30, 2, 10) + second + Duel(4, -20, 3, 0), Query("foe"));
  EXPECT_EQ(tally, (ScoreTally{1, 1, 0, 10, 5, 10, 5}));
}

TEST(ScoreEntries, FieldWithoutNumberSpoilsOnlyItsRecord) {
  const std::string bad_rank = Header() + PlayersLine({"me", "foe", "p1", "p2"}) + "  ---- 試合結果 ----\n" +
                               EntryLine({1, "me", 30}) + "  -位 foe            +10\n" + EntryLine({3, "p1", 0}) +
                               EntryLine({4, "p2", 0}) + EndLine();
  const std::string bad_score = Header() + PlayersLine({"me", "foe", "p1", "p2"}) + "  ---- 試合結果 ----\n" +
                                EntryLine({1, "me", 30}) + "  2位 foe            xx\n" + EntryLine({3, "p1", 0}) +
                                EntryLine({4, "p2", 0}) + EndLine();
  for (const std::string& bad : {bad_rank, bad_score}) {
    const ScoreTally tally = TallyScores(bad + Duel(2, 5, 1, 20), Query("foe"));
    EXPECT_EQ(tally, (ScoreTally{0, 1, 0, 5, 2, 20, 1}));
  }
}

TEST(ScoreEntries, FileEndingInsideResults) {
  const std::string whole = Duel(1, 30, 2, 10);
  const std::size_t results = whole.find("  ---- ");
  const std::size_t foe_line = whole.find("  2位 foe");
  // Cut inside the results header, inside the target's field, inside its
  // score (the later entries missing), with only the end line missing, and
  // with the last score missing.
  EXPECT_EQ(TallyScores(whole.substr(0, results + 5), Query("foe")).Games(), 0);
  EXPECT_EQ(TallyScores(whole.substr(0, foe_line + 8), Query("foe")).Games(), 0);
  EXPECT_EQ(TallyScores(Duel(1, 30, 2, 10) + whole.substr(0, foe_line + 22), Query("foe")).Games(), 1);
  const std::size_t end_line = whole.find("-----");
  EXPECT_EQ(TallyScores(whole.substr(0, end_line - 1), Query("foe")).Games(), 1);  // no final line end
  EXPECT_EQ(TallyScores(whole.substr(0, end_line - 3), Query("foe")).Games(), 0);
}

TEST(ScoreEntries, ResultsOfTheNextGameAreNotBorrowed) {
  // A game cut off before its results, followed by a game of another kind:
  // the next game's results must not count for the first.
  const std::string cut = Header() + PlayersLine({"me", "foe", "p1", "p2"}) + "  東1局 0本場(リーチ0) me 1000点 ロン\n";
  EXPECT_EQ(TallyScores(cut + Duel(1, 30, 2, 10, "東南戦"), Query("foe")).Games(), 0);
  // And a game right after a header with no players line is still read.
  EXPECT_EQ(TallyScores(Header() + cut + Duel(1, 30, 2, 10), Query("foe")).Games(), 1);
}

TEST(ScoreEntries, ScoresAsFormattedInputReadsThem) {
  // The client's own layout: 19 bytes before the sign on the first line, so
  // the first field takes the "+"; later fields begin with the line break.
  const std::string file = Header() + PlayersLine({"ddd", "me", "ccc", "foe"}) + "  ---- 試合結果 ----\n" +
                           "  1位 ddd          +54\n  2位 me           +5\n  3位 ccc          -19\n"
                           "  4位 foe          -40\n" +
                           EndLine();
  EXPECT_EQ(TallyScores(file, Query("foe")), (ScoreTally{1, 0, 0, 5, 2, -40, 4}));
  // A score on the line after its field: white space and line breaks are skipped.
  const std::string split = Header() + PlayersLine({"me", "foe", "p1", "p2"}) + "  ---- 試合結果 ----\n" +
                            "  1位 me              \n\n   +30\n" + EntryLine({2, "foe", -7}) +
                            EntryLine({3, "p1", 0}) + EntryLine({4, "p2", 0});
  EXPECT_EQ(TallyScores(split, Query("foe")), (ScoreTally{1, 0, 0, 30, 1, -7, 2}));
}

TEST(ScoreEntries, CrLfAndLfGiveTheSameTally) {
  const std::string file = Duel(1, 30, 2, 10) + Duel(3, -12, 2, 15) + Duel(2, -5, 2, 0) + Duel(4, -20, 1, 60);
  const ScoreTally lf = TallyScores(file, Query("foe"));
  EXPECT_EQ(lf.Games(), 4);
  EXPECT_EQ(TallyScores(WithCrLf(file), Query("foe")), lf);
  // A lone CR is a byte of the line, not a line break.
  EXPECT_EQ(TallyScores("\r" + file, Query("foe")), lf);
}

// ---- Long lines and long handles ----

TEST(ScoreLongLines, LinesAreTestedInPiecesOf255Bytes) {
  const std::string game_body = PlayersLine({"me", "foe", "p1", "p2"}) +
                                Results({{1, "me", 30}, {2, "foe", 10}, {3, "p1", -10}, {4, "p2", -30}}) + EndLine();
  // " =====" beyond the first 255 bytes: no header.
  const std::string long_header = "===== 東風戦" + std::string(250, 'x') + " =====\n";
  EXPECT_EQ(TallyScores(long_header + game_body, Query("foe")).Games(), 0);
  // A header of 254 bytes and its line break fits one piece, with LF or CR LF.
  const std::string fitting = "===== 東風戦 " + std::string(254 - 19, 'x') + " =====";
  ASSERT_EQ(fitting.size(), 254U);
  EXPECT_EQ(TallyScores(fitting + "\n" + game_body, Query("foe")).Games(), 1);
  EXPECT_EQ(TallyScores(WithCrLf(fitting + "\n" + game_body), Query("foe")).Games(), 1);
  // A 255-byte header: its line break comes as a piece of its own, which is
  // then taken as the players line.
  EXPECT_EQ(TallyScores(fitting + "x\n" + game_body, Query("foe")).Games(), 0);
  EXPECT_EQ(TallyScores(WithCrLf(fitting + "x\n" + game_body), Query("foe")).Games(), 0);
  // The second piece of a long line is tested like a line: a header there counts.
  EXPECT_EQ(TallyScores(std::string(255, 'y') + Header() + game_body, Query("foe")).Games(), 1);
  // Players beyond the players line's first piece are not seen.
  const std::string wide_players = "  持点27000" + std::string(250, ' ') + "[1]me R1500 [2]foe R1500\n";
  EXPECT_EQ(TallyScores(Header() + wide_players + Results({{1, "me", 30}, {2, "foe", 10}, {3, "p1", -10},
                                                                 {4, "p2", -30}}),
                        Query("foe"))
                .Games(),
            0);
  // A results header split by the piece boundary is not found.
  const std::string split_results = std::string(245, 'z') + "  ---- 試合結果 ----\n";
  EXPECT_EQ(TallyScores(Header() + PlayersLine({"me", "foe", "p1", "p2"}) + split_results +
                            EntryLine({1, "me", 30}) + EntryLine({2, "foe", 10}) + EntryLine({3, "p1", 0}) +
                            EntryLine({4, "p2", 0}),
                        Query("foe"))
                .Games(),
            0);
}

TEST(ScoreLongLines, LongHandlesMatchOnlyWhole) {
  // 13 bytes fit "  1位 " + handle + " " in the first field only.
  const std::string thirteen = "abcdefghijklm";
  const std::string file = Game({"me", thirteen, "p1", "p2"},
                                {{1, thirteen, 30}, {2, "me", 10}, {3, "p1", -10}, {4, "p2", -30}});
  EXPECT_EQ(TallyScores(file, Query(thirteen)).Games(), 1);
  // Longer handles cannot stand whole in a 20-byte field, nor can a prefix
  // of them stand for them; as the user's handle they only fail to match.
  for (std::size_t length : {14U, 16U, 100U, 300U}) {
    const std::string handle(length, 'h');
    const std::string game = Game({"me", handle, "p1", "p2"},
                                  {{1, handle, 30}, {2, "me", 10}, {3, "p1", -10}, {4, "p2", -30}});
    EXPECT_EQ(TallyScores(game, Query(handle)).Games(), 0) << length;
    EXPECT_EQ(TallyScores(Duel(1, 30, 2, 10), Query("foe", 0, {handle, handle, "me"})).Games(), 1) << length;
    EXPECT_EQ(TallyScores(Duel(1, 30, 2, 10), Query("foe", 0, {handle, "", ""})).Games(), 0) << length;
  }
}

// ---- Reading in blocks ----

// Feeds the data as the file reader does, in blocks of `block` bytes, giving
// back what the parser did not use.
ScoreTally TallyInBlocks(std::string_view data, const ScoreQuery& query, std::size_t block) {
  ScoreFileParser parser(query);
  std::string buffer;
  std::size_t next = 0;
  for (;;) {
    const std::size_t take = std::min(block, data.size() - next);
    buffer.append(data.substr(next, take));
    next += take;
    const bool at_end = next == data.size();
    const std::size_t used = parser.Consume(buffer, at_end);
    if (at_end) break;
    buffer.erase(0, used);
    EXPECT_LE(buffer.size(), 600U + block);
  }
  return parser.tally();
}

TEST(ScoreBlocks, AnyBlockSizeGivesTheSameTally) {
  const std::string long_line = std::string(254, 'w') + "\r\n" + std::string(255, 'v') + "\r\n" +
                                std::string(600, 'u') + "=\n";
  const std::string cut = Header() + PlayersLine({"me", "foe", "p1", "p2"});
  std::string file = Duel(1, 30, 2, 10) + long_line + cut + Duel(3, -12, 2, 15) + "\r\r\n" +
                     WithCrLf(Duel(2, -5, 2, 0) + Duel(4, -20, 1, 60)) + std::string(255, '=') +
                     Duel(1, 7, 3, -3);
  file += file;
  const ScoreTally whole = TallyScores(file, Query("foe"));
  EXPECT_EQ(whole.Games(), 10);
  for (std::size_t block : {1U, 2U, 3U, 7U, 19U, 20U, 21U, 64U, 254U, 255U, 256U, 257U, 1000U}) {
    EXPECT_EQ(TallyInBlocks(file, Query("foe"), block), whole) << "block " << block;
  }
}

// ---- The file and the target ----

class ScoreFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tamiru-score-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "mjscore.txt").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(ScoreFile, ReportForTheFile) {
  Write(WithCrLf(Duel(1, 30, 2, 10)));
  EXPECT_EQ(ScoreReportForFile(path_, Query("foe")), "1勝0敗 平均順位1：2 平均得点30：10");
  EXPECT_EQ(ScoreReportForFile(path_, Query("nobody")), "試合の記録がありません");
}

TEST_F(ScoreFile, MissingFileGivesNoReport) {
  EXPECT_EQ(ScoreReportForFile((dir_ / "none.txt").string(), Query("foe")), std::nullopt);
}

TEST(ChooseReportTarget, SelectedItemElseTheFirstOne) {
  const UserNames users{"", "me", ""};
  const std::optional<std::string> none;
  struct Case {
    UserNames users;
    std::vector<std::string> items;
    int selected;
    std::optional<std::string> target;
  };
  for (const Case& c : std::vector<Case>{
           {users, {}, -1, none},                  // empty list
           {UserNames{}, {"foe", "bob"}, 1, none},  // no handle of the user's
           {users, {"foe", "bob"}, -1, "foe"},      // none selected: the first
           {users, {"foe", "bob"}, 1, "bob"},
           {users, {"foe", "bob"}, 2, "foe"},      // a selection past the end counts as none
           {users, {"", "foe"}, -1, none},         // first item empty
           {users, {"", "foe"}, 0, ""},            // a selected empty item is the target
       }) {
    EXPECT_EQ(ChooseReportTarget(c.users, c.items, c.selected), c.target)
        << c.items.size() << " items, selected " << c.selected;
  }
}

}  // namespace
}  // namespace tamiru::stats
