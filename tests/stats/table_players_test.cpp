#include "stats/table_players.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/stats/score_test_util.h"

namespace tamiru::stats {
namespace {

const std::string kStart = "  持点27000 [1]aaa R1500 [2]bbb R1500 [3]ccc R1500 [4]ddd R1500\n";
const std::string kEnd = "----- 64卓 終了 2016/01/01 00:47 -----\n";
const std::string kHeader = "===== 東風戦：ランキング卓 64卓 開始 2016/01/01 00:43 =====\n";
const std::string kRound = "  東1局 0本場(リーチ0) aaa 1000点 ロン\n";

int Read(std::string_view bytes, TablePlayers& players) { return ReadTablePlayersFromBytes(bytes, players); }

TablePlayers Seats(std::string_view bytes) {
  TablePlayers players;
  EXPECT_EQ(Read(bytes, players), 1);
  return players;
}

// ---- Which line the scan stops at ----

TEST(ReadTablePlayers, MostRecentGameInProgress) {
  const std::string file = kHeader + "  持点27000 [1]old R1500\n" + kRound + kEnd + kHeader + kStart + kRound + kRound;
  EXPECT_EQ(Seats(file), (TablePlayers{"aaa", "bbb", "ccc", "ddd"}));
  EXPECT_EQ(Seats(testing::WithCrLf(file)), (TablePlayers{"aaa", "bbb", "ccc", "ddd"}));
  // Without a final line end the last line is still tested.
  EXPECT_EQ(Seats(kHeader + kStart.substr(0, kStart.size() - 1)), (TablePlayers{"aaa", "bbb", "ccc", "ddd"}));
}

TEST(ReadTablePlayers, FinishedGameOrNoGame) {
  TablePlayers players{"keep", "", "", ""};
  EXPECT_EQ(Read(kHeader + kStart + kRound + kEnd + "\n\n", players), 0);
  EXPECT_EQ(Read(testing::WithCrLf(kHeader + kStart + kEnd), players), 0);
  EXPECT_EQ(Read(kHeader + kRound + kRound, players), 0);
  EXPECT_EQ(Read("", players), 0);
  EXPECT_EQ(Read("\n", players), 0);
  EXPECT_EQ(players, (TablePlayers{"keep", "", "", ""}));
  // An end line needs all three of its marks.
  EXPECT_EQ(Seats(kHeader + kStart + "----- 64卓 終了 2016/01/01 00:47\n"), (TablePlayers{"aaa", "bbb", "ccc", "ddd"}));
  EXPECT_EQ(Seats(kHeader + kStart + "----- 64卓終了 -----\n"), (TablePlayers{"aaa", "bbb", "ccc", "ddd"}));
}

TEST(ReadTablePlayers, FirstLineIsNeverTested) {
  TablePlayers players;
  EXPECT_EQ(Read(kStart, players), 0);
  EXPECT_EQ(Read(kStart + kRound, players), 0);
  EXPECT_EQ(Read(kStart.substr(0, kStart.size() - 1), players), 0);
  // An empty first line: the start line is then the second one.
  EXPECT_EQ(Read("\n" + kStart, players), 1);
  EXPECT_EQ(Read("\r\n" + kStart, players), 1);
}

// ---- Seats ----

TEST(ReadTablePlayers, SeatMarkersAndHandles) {
  // The layout of a start line with handles first and the points last.
  EXPECT_EQ(Seats(kHeader + " [1]aaa [2]bbb [3]ccc [4]ddd  持点27000\n"), (TablePlayers{"aaa", "bbb", "ccc", "ddd"}));
  // A missing marker leaves its seat empty; markers need their space.
  EXPECT_EQ(Seats(kHeader + "  持点27000 [1]aaa R1500 [2]bbb R1500 [3]ccc R1500\n"),
            (TablePlayers{"aaa", "bbb", "ccc", ""}));
  EXPECT_EQ(Seats(kHeader + "  持点27000 [1]aaa R1500 x[2]bbb R1500 [4]ddd R\n"), (TablePlayers{"aaa", "", "", "ddd"}));
  // Seats are searched in turn from the previous handle on.
  EXPECT_EQ(Seats(kHeader + "  持点27000 [2]bbb [1]aaa [3]ccc\n"), (TablePlayers{"aaa", "", "ccc", ""}));
  // Double-byte handles, one whose trail byte is "]".
  EXPECT_EQ(Seats(kHeader + "  持点27000 [1]山田 R1 [2]‐x R1 [3]ｱｲｳ R1 [4]表示 R1\n"),
            (TablePlayers{"山田", "‐x", "ｱｲｳ", "表示"}));
}

TEST(ReadTablePlayers, HandleAtTheLineEnd) {
  const TablePlayers expected{"aaa", "bbb", "ccc", "ddd"};
  const std::string line = "  持点27000 [1]aaa R1500 [2]bbb R1500 [3]ccc R1500 [4]ddd";
  EXPECT_EQ(Seats(kHeader + line + "\n" + kRound), expected);
  EXPECT_EQ(Seats(testing::WithCrLf(kHeader + line + "\n" + kRound)), expected);
  EXPECT_EQ(Seats(kHeader + line), expected);
  EXPECT_EQ(Seats(kHeader + line + "\r"), (TablePlayers{"aaa", "bbb", "ccc", "ddd\r"}));  // a lone CR is a byte
}

TEST(ReadTablePlayers, LongStartLineIsReadIn255Bytes) {
  const std::string head = "  持点27000 [1]aaa R1500 [2]bbb R1500";  // 37 bytes
  ASSERT_EQ(head.size(), 37U);
  // The marker " [3]" split by the end of the first 255 bytes: not found.
  const std::string split = head + std::string(255 - 37 - 2, '.') + " [3]ccc [4]ddd \n";
  EXPECT_EQ(Seats(kHeader + split), (TablePlayers{"aaa", "bbb", "", ""}));
  // A handle cut by the end of the 255 bytes is not whole: its seat stays empty.
  const std::string cut = head + std::string(255 - 37 - 6, '.') + " [3]cccccc [4]ddd \n";
  EXPECT_EQ(Seats(kHeader + cut), (TablePlayers{"aaa", "bbb", "", ""}));
  // A handle that ends at the 255th byte of a line that ends there is whole.
  const std::string exact = head + std::string(255 - 37 - 7, '.') + " [3]ccc";
  ASSERT_EQ(exact.size(), 255U);
  EXPECT_EQ(Seats(kHeader + exact + "\n"), (TablePlayers{"aaa", "bbb", "ccc", ""}));
  EXPECT_EQ(Seats(kHeader + exact + "\r\n"), (TablePlayers{"aaa", "bbb", "ccc", ""}));
  EXPECT_EQ(Seats(kHeader + exact), (TablePlayers{"aaa", "bbb", "ccc", ""}));
  EXPECT_EQ(Seats(kHeader + exact + "c\n"), (TablePlayers{"aaa", "bbb", "", ""}));
  // "  持点27000" beyond the first 255 bytes does not make a start line.
  TablePlayers players;
  EXPECT_EQ(Read(kHeader + std::string(250, '.') + "  持点27000 [1]aaa \n", players), 0);
}

TEST(ReadTablePlayers, LinesAcrossReadBlocks) {
  // The start line is placed around the 64 KiB blocks read from the end.
  const std::string filler_line = std::string(97, 'f') + "\n";
  for (std::size_t tail : {0U, 65536U - 40U, 65536U - 1U, 65536U, 65536U + 1U, 65536U + 30U, 3U * 65536U + 7U}) {
    std::string after;
    while (after.size() < tail) after += filler_line;
    after.resize(tail);
    if (!after.empty()) after.back() = '\n';
    const std::string file = std::string(1000, 'a') + "\n" + kStart + after;
    EXPECT_EQ(Seats(file), (TablePlayers{"aaa", "bbb", "ccc", "ddd"})) << tail;
    EXPECT_EQ(Seats(testing::WithCrLf(file)), (TablePlayers{"aaa", "bbb", "ccc", "ddd"})) << tail;
  }
}

class TablePlayersFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tamiru-table-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
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

TEST_F(TablePlayersFile, ReadsTheFileTail) {
  TablePlayers players;
  EXPECT_EQ(ReadTablePlayers(path_, players), 0);  // no file
  std::string file = kHeader + "  持点27000 [1]old R1500\n" + kEnd;
  while (file.size() < 300000) file += kRound;
  Write(file + kHeader + kStart + kRound);
  EXPECT_EQ(ReadTablePlayers(path_, players), 1);
  EXPECT_EQ(players, (TablePlayers{"aaa", "bbb", "ccc", "ddd"}));
  // The start line far from the end, behind many blocks.
  Write(kHeader + kStart + file.substr(file.find(kEnd) + kEnd.size()));
  players = {};
  EXPECT_EQ(ReadTablePlayers(path_, players), 1);
  EXPECT_EQ(players, (TablePlayers{"aaa", "bbb", "ccc", "ddd"}));
}

}  // namespace
}  // namespace tamiru::stats
