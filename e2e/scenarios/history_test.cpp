// The match history window of tamiru.exe beside the stand-in client, whose
// score file it reads: opened from the main window's system menu, its table
// and summary read from outside, a game that ends at the stand-in showing up
// by itself, the table saved as CSV, and a double click reporting into the
// main window's chat line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include "stats/score_report.h"

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;

constexpr const char* kMainClass = "TForm1";
constexpr const char* kMainCaption = "Tamiru Ver1.52";
constexpr UINT kHistoryMenuId = 0x0110;

void PrepareFolder(const Session& s) {
  for (const char* list : {"friendlist.txt", "chatlist.txt", "keyword.txt", "macro.txt"}) {
    ASSERT_TRUE(s.WriteFile(list, ""));
  }
  ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\nFile4=" + s.PathOf("mjscore.txt") +
                                            "\r\nUserName1=user1\r\nTableType=0\r\n"));
}

using e2e::DoubleClickRow;
using e2e::ListViewRows;

// The rows as the report computes them for each player, in the table's order.
std::vector<std::vector<std::string>> Expected(const std::string& file, const std::vector<std::string>& order) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& name : order) {
    const tamiru::stats::ScoreTally t = tamiru::stats::TallyScores(file, {{"user1", "", ""}, name, 0});
    const long long n = t.Games();
    using tamiru::stats::AverageText;
    rows.push_back({name, std::to_string(n), std::to_string(t.wins), std::to_string(t.losses), std::to_string(t.draws),
                    AverageText(t.user_rank_sum, n), AverageText(t.target_rank_sum, n),
                    AverageText(t.user_score_sum, n), AverageText(t.target_score_sum, n)});
  }
  return rows;
}

// The common save dialog of Tamiru's process: the name typed, Save pressed.
bool SaveAs(const Session& s, const std::string& path) {
  HWND dialog = nullptr;
  e2e::WaitFor([&] {
    for (HWND top : e2e::TopWindowsOf(s.TamiruProcessId())) {
      if (e2e::ClassOf(top) == "#32770") dialog = top;
    }
    return dialog != nullptr;
  }, 10000);
  if (dialog == nullptr) return false;
  HWND name = GetDlgItem(dialog, 0x47C);  // the file name box of the Explorer-style dialog
  if (name == nullptr) name = GetDlgItem(dialog, 0x480);
  if (name == nullptr || !e2e::SetTextOf(name, path)) return false;
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  return e2e::WaitFor([&] { return !IsWindow(dialog); }, 10000);
}

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  }
};

TEST_F(HistoryTest, WindowFromTheSystemMenuFollowsTheStandinsScoreFile) {
  Session s("history");
  PrepareFolder(s);
  ASSERT_TRUE(s.StartStandin("show room\n"));
  for (const char* command : {"game start 東風戦 64 aaa user1 ccc ddd", "game end 64 user1 30 aaa 10 ccc -10 ddd -30",
                              "game start 東風戦 12 aaa user1 ccc 山田", "game end 12 aaa 45 ccc 5 user1 -15 山田 -35",
                              "game start 東南戦 3 aaa user1 ccc ddd", "game end 3 aaa 60 user1 0 ccc 0 ddd -60"}) {
    ASSERT_TRUE(s.Command(command)) << command;
  }
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption, 15000);
  ASSERT_NE(main, nullptr);

  // The item in the system menu, below a separator, as the menu sends it.
  HMENU menu = GetSystemMenu(main, FALSE);
  if (menu != nullptr && GetMenuItemCount(menu) > 1) {
    char caption[64] = {};
    GetMenuStringA(menu, kHistoryMenuId, caption, sizeof caption, MF_BYCOMMAND);
    EXPECT_STREQ(caption, "対戦履歴(&H)...");
  }
  PostMessageA(main, WM_SYSCOMMAND, kHistoryMenuId, 0);
  HWND history = e2e::WaitForTop("TForm3", "対戦履歴", 10000);
  ASSERT_NE(history, nullptr);
  // Shown once its controls are made and the file is read.
  ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(history) != FALSE; }, 10000));
  EXPECT_EQ(GetWindow(history, GW_OWNER), main);
  HWND view = e2e::FindDescendantByClass(history, "SysListView32");
  HWND summary = e2e::FindDescendantByClass(history, "Static");
  ASSERT_NE(view, nullptr);
  ASSERT_NE(summary, nullptr);
  const DWORD pid = s.TamiruProcessId();

  std::string file = s.ReadFile("mjscore.txt").value_or("");
  EXPECT_EQ(e2e::ListViewRows(pid, view, 9), Expected(file, {"aaa", "ccc", "ddd", "山田"}));
  EXPECT_EQ(e2e::TextAsSjis(summary),
            "試合数 2  1位 1 (50.0%)  2位 0 (0.0%)  3位 1 (50.0%)  4位 0 (0.0%)  平均順位 2  平均得点 7.5  合計得点 15");

  // Once more from the menu: the same window, no second one.
  PostMessageA(main, WM_SYSCOMMAND, kHistoryMenuId, 0);
  e2e::PumpFor(500);
  int windows = 0;
  for (HWND top : e2e::TopWindowsOf(pid)) windows += e2e::ClassOf(top) == "TForm3" ? 1 : 0;
  EXPECT_EQ(windows, 1);

  // A game that ends at the stand-in shows up by itself.
  ASSERT_TRUE(s.Command("game start 東風戦 20 bbb user1 ccc ddd"));
  ASSERT_TRUE(s.Command("game end 20 user1 20 bbb 0 ccc -5 ddd -15"));
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::ListViewRows(pid, view, 9).size() == 5; }, 10000));
  file = s.ReadFile("mjscore.txt").value_or("");
  EXPECT_EQ(e2e::ListViewRows(pid, view, 9), Expected(file, {"ccc", "aaa", "ddd", "bbb", "山田"}));

  // The table as CSV, read back.
  e2e::PostClick(e2e::FindDescendantByText(history, "CSV保存", "Button"));
  ASSERT_TRUE(SaveAs(s, s.PathOf("table.csv")));
  // Written once the dialog has returned the name.
  std::string csv;
  EXPECT_TRUE(e2e::WaitFor([&] {
    csv = s.ReadFile("table.csv").value_or("");
    return csv.ends_with("\r\n") && csv.find("山田") != std::string::npos;
  }, 10000));
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "相手,対戦数,勝,敗,分,自分の平均順位,相手の平均順位,自分の平均得点,相手の平均得点");
  EXPECT_NE(csv.find("\r\nccc,3,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n山田,1,"), std::string::npos) << csv;

  // A double click on ccc's row: its report in the main window's chat line.
  ASSERT_TRUE(DoubleClickRow(pid, view, 0));
  HWND chat = e2e::FindDescendantByClass(main, "ComboBox");
  const std::string report = tamiru::stats::ScoreReportText(file, {{"user1", "", ""}, "ccc", 0});
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextAsSjis(chat) == report; }, 5000)) << e2e::TextAsSjis(chat);

  e2e::SaveWindowImage(history, e2e::BinDir() + "\\history-e2e.bmp");
  // Esc closes it; the main window stays.
  e2e::BringToFront(history);
  SetFocus(view);
  PostMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(e2e::WaitForNoTop("TForm3", "対戦履歴", 5000));
  EXPECT_TRUE(IsWindow(main));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(s.WaitForTamiruExit(10000).has_value());
}

}  // namespace

namespace {

// The window on a large generated score file named by an environment
// variable (Linux path seen through Wine's Z: drive): how long until the
// table is shown, and Tamiru's private memory with the window open; a
// picture of the window is saved as history.bmp beside the binaries. Run by
// hand; skipped without the variable.
TEST_F(HistoryTest, OnAGeneratedFileMeasuredAndPictured) {
  const char* sample = std::getenv("TAMIRU_HISTORY_FILE");
  if (sample == nullptr) GTEST_SKIP() << "TAMIRU_HISTORY_FILE is not set";
  Session s("history_big");
  for (const char* list : {"friendlist.txt", "chatlist.txt", "keyword.txt", "macro.txt"}) {
    ASSERT_TRUE(s.WriteFile(list, ""));
  }
  ASSERT_TRUE(s.WriteFile("tamiru.INI", std::string("[Setting]\r\nFile4=") + sample +
                                            "\r\nUserName1=me1\r\nUserName2=me2\r\nUserName3=me3\r\nTableType=0\r\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, s.TamiruProcessId());
  const auto private_mb = [process] { return e2e::PrivateMegabytes(process); };
  const double before = private_mb();

  const DWORD start = GetTickCount();
  PostMessageA(main, WM_SYSCOMMAND, kHistoryMenuId, 0);
  HWND history = e2e::WaitForTop("TForm3", "対戦履歴", 120000);
  ASSERT_NE(history, nullptr);
  ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(history) != FALSE; }, 120000));
  HWND view = e2e::FindDescendantByClass(history, "SysListView32");
  HWND summary = e2e::FindDescendantByClass(history, "Static");
  const bool shown = e2e::WaitFor([&] { return e2e::SendBounded(view, LVM_GETITEMCOUNT, 0, 0) > 0; }, 120000);
  const DWORD opened = GetTickCount() - start;
  ASSERT_TRUE(shown) << e2e::TextAsSjis(summary);
  e2e::PumpFor(1000);
  const double after = private_mb();
  CloseHandle(process);
  std::printf("history window: %lu rows shown %lu ms after the menu command; private memory %.1f MB before, %.1f MB "
              "with the window open\n",
              static_cast<unsigned long>(e2e::SendBounded(view, LVM_GETITEMCOUNT, 0, 0)),
              static_cast<unsigned long>(opened), before, after);
  e2e::BringToFront(history);
  e2e::PumpFor(500);
  e2e::SaveWindowImage(history, e2e::BinDir() + "\\history.bmp");
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(s.WaitForTamiruExit(20000).has_value());
}

}  // namespace
