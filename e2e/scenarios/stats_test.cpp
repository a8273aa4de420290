// The statistics buttons of tamiru.exe beside the stand-in client: the
// record against a player read from the score file that the stand-in writes
// as its games start and end, and the lookup of the players at the table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"
#include "tests/stats/score_test_util.h"

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;

constexpr const char* kMainClass = "TForm1";
constexpr const char* kMainCaption = "Tamiru Ver1.52";

// Empty list files, and an INI naming the stand-in's score file and the
// user's handle (the stand-in's own, "user1").
void PrepareFolder(const Session& s) {
  for (const char* list : {"friendlist.txt", "chatlist.txt", "keyword.txt", "macro.txt"}) {
    ASSERT_TRUE(s.WriteFile(list, ""));
  }
  ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\nFile4=" + s.PathOf("mjscore.txt") +
                                            "\r\nUserName1=user1\r\nTableType=0\r\n"));
}

HWND Button(HWND main, const char* caption) {
  HWND button = e2e::FindDescendantByText(main, caption, "Button");
  EXPECT_NE(button, nullptr) << caption;
  return button;
}

// Presses "対戦成績" with the given item of the selection list selected and
// returns what the chat line then holds.
std::string ReportWithSelected(HWND main, HWND selection, int index) {
  e2e::SendBounded(selection, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  EXPECT_TRUE(e2e::Click(Button(main, "対戦成績")));
  return e2e::TextAsSjis(e2e::FindDescendantByClass(main, "ComboBox"));
}

void CloseTamiru(const Session& s, HWND main) {
  PostMessageA(main, WM_CLOSE, 0, 0);
  const auto code = s.WaitForTamiruExit(10000);
  ASSERT_TRUE(code.has_value()) << "Tamiru did not end after WM_CLOSE";
  EXPECT_EQ(*code, 0u);
}

class StatsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  }
};

TEST_F(StatsTest, ScoreButtonReportsFromTheClientsScoreFileIntoTheChatLine) {
  Session s("stats_report");
  PrepareFolder(s);
  ASSERT_TRUE(s.StartStandin("show room\n"));
  // Two finished games of the kind TableType names, one of another kind.
  for (const char* command : {"game start 東風戦 64 aaa user1 ccc ddd", "game end 64 user1 30 aaa 10 ccc -10 ddd -30",
                              "game start 東風戦 12 aaa user1 ccc ddd", "game end 12 aaa 45 ccc 5 user1 -15 ddd -35",
                              "game start 東南戦 3 aaa user1 ccc ddd", "game end 3 aaa 60 user1 0 ccc 0 ddd -60"}) {
    ASSERT_TRUE(s.Command(command)) << command;
  }
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  HWND selection = e2e::FindDescendantByClass(main, "ListBox", 1);
  ASSERT_NE(selection, nullptr);
  for (const char* name : {"ccc", "aaa", "user1"}) {
    e2e::SendBounded(selection, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }

  EXPECT_EQ(ReportWithSelected(main, selection, 1), "1勝1敗 平均順位2：1.5 平均得点7.5：27.5");
  // No selection: the first item.
  EXPECT_EQ(ReportWithSelected(main, selection, -1), "1勝1敗 平均順位2：2.5 平均得点7.5：-2.5");

  // Every report reads the file again: a game still in play counts nothing,
  // a game finished since counts.
  ASSERT_TRUE(s.Command("game start 東風戦 20 aaa user1 ccc ddd"));
  EXPECT_EQ(ReportWithSelected(main, selection, 1), "1勝1敗 平均順位2：1.5 平均得点7.5：27.5");
  ASSERT_TRUE(s.Command("game end 20 user1 20 aaa 0 ccc -5 ddd -15"));
  EXPECT_EQ(ReportWithSelected(main, selection, 1), "2勝1敗 平均順位1.67：1.67 平均得点11.7：18.3");
  // The user's own handle: the own averages.
  EXPECT_EQ(ReportWithSelected(main, selection, 2), "試合数 3 平均順位 1.67 平均得点 11.7");

  // Nothing is sent by a report; the line only waits in the chat line.
  EXPECT_TRUE(s.SentLines("room").empty());
  CloseTamiru(s, main);
}

TEST_F(StatsTest, LookupButtonAsksAboutTheOtherPlayersOnlyAtATableInPlay) {
  Session s("stats_lookup");
  PrepareFolder(s);
  ASSERT_TRUE(s.StartStandin("show room\n"));
  ASSERT_TRUE(s.Command("game start 東風戦 64 aaa user1 ccc ddd"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  HWND lookup = Button(main, "対/w,/r");

  // Only the waiting room: the click is handled in full before Click
  // returns, and nothing reaches either chat.
  ASSERT_TRUE(e2e::Click(lookup));
  EXPECT_TRUE(s.Entries("room", -2, "settext").empty());
  EXPECT_TRUE(s.SentLines("room").empty());

  // At the table: "/w " and "/r " for each other seat in seat order, each
  // line taken by the client before the next is typed.
  ASSERT_TRUE(s.Command("sit 64"));
  ASSERT_TRUE(e2e::PostClick(lookup));
  ASSERT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/r ddd"), 15000));
  const std::vector<std::string> expected{"/w aaa", "/r aaa", "/w ccc", "/r ccc", "/w ddd", "/r ddd"};
  EXPECT_EQ(s.SentLines("table"), expected);
  EXPECT_TRUE(s.SentLines("room").empty());

  // Once the game has ended nobody is looked up.
  ASSERT_TRUE(s.Command("game end 64 user1 30 aaa 10 ccc -10 ddd -30"));
  ASSERT_TRUE(e2e::Click(lookup));
  EXPECT_EQ(s.SentLines("table"), expected);
  CloseTamiru(s, main);
}

// A 32-bit client on 64-bit Windows: File4 names the file under Program
// Files, where it is not; the report reads the one under Program Files
// (x86), and the settings dialog's file page says so under the path.
TEST_F(StatsTest, ScoreFileUnderProgramFilesX86IsReadAndShownInTheSettings) {
  char x86[MAX_PATH] = {};
  char native[MAX_PATH] = {};
  ASSERT_NE(GetEnvironmentVariableA("ProgramFiles(x86)", x86, MAX_PATH), 0u);
  ASSERT_NE(GetEnvironmentVariableA("ProgramW6432", native, MAX_PATH), 0u);
  const std::string client = std::string(x86) + "\\TamiruE2EClient";
  const std::string installed = client + "\\mjscore.txt";
  CreateDirectoryA(client.c_str(), nullptr);
  namespace score = tamiru::stats::testing;
  const std::string games = score::WithCrLf(
      score::Game({"aaa", "user1", "ccc", "ddd"}, {{1, "user1", 30}, {2, "aaa", 10}, {3, "ccc", -10}, {4, "ddd", -30}}));
  HANDLE file = CreateFileA(installed.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, games.data(), static_cast<DWORD>(games.size()), &written, nullptr);
  CloseHandle(file);

  Session s("stats_x86");
  for (const char* list : {"friendlist.txt", "chatlist.txt", "keyword.txt", "macro.txt"}) {
    ASSERT_TRUE(s.WriteFile(list, ""));
  }
  ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\nFile4=" + std::string(native) +
                                            "\\TamiruE2EClient\\mjscore.txt\r\nUserName1=user1\r\nTableType=0\r\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  HWND selection = e2e::FindDescendantByClass(main, "ListBox", 1);
  e2e::SendBounded(selection, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("aaa"));
  EXPECT_EQ(ReportWithSelected(main, selection, 0), "1勝0敗 平均順位1：2 平均得点30：10");

  EXPECT_TRUE(e2e::PostClick(Button(main, "設定")));
  HWND dialog = e2e::WaitForTop("TForm2", "各種設定");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(dialog) != FALSE; }));
  e2e::BringToFront(dialog);
  ASSERT_TRUE(e2e::ShowTabPage(e2e::FindDescendantByClass(dialog, "SysTabControl32"), 2));
  EXPECT_NE(e2e::FindDescendantByText(dialog, "読むファイル: " + installed, "Static"), nullptr);
  EXPECT_TRUE(e2e::PostClick(e2e::ButtonNamed(dialog, "キャンセル")));
  EXPECT_TRUE(e2e::WaitForNoTop("TForm2", "各種設定"));
  CloseTamiru(s, main);
  DeleteFileA(installed.c_str());
  RemoveDirectoryA(client.c_str());
}

}  // namespace
