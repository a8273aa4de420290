// The client check window of tamiru.exe beside the stand-in client: opened
// from the system menu with every window of the client shown, its rows read
// from outside (every row of the client "OK", and the stand-in's record
// without a click, a text set or a selection); "コピー" puts the report on
// the clipboard; a frozen stand-in holds the check for one bound; with the
// stand-in gone, "再確認" turns the client's rows to "NG" or "—" and the
// window goes on working.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"

#include <commctrl.h>

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;

constexpr UINT kClientCheckMenuId = 0x0170;

// The rows that tell of the client's windows and controls.
bool IsClientRow(const std::string& item) {
  for (const char* start : {"ゲームクライアント", "卓のウィンドウ", "待合室", "接続ダイアログ", "エラーダイアログ",
                            "観戦失敗ダイアログ", "チャットの読み取り"}) {
    if (item.rfind(start, 0) == 0) return true;
  }
  return false;
}

// The clipboard's text as Shift_JIS: from CF_UNICODETEXT, or CF_TEXT as it is.
std::string ClipboardText(UINT format) {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(format)) {
    if (const void* locked = GlobalLock(data)) {
      if (format == CF_TEXT) {
        text = static_cast<const char*>(locked);
      } else {
        const auto* wide = static_cast<const wchar_t*>(locked);
        const int bytes = WideCharToMultiByte(932, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        text.resize(static_cast<std::size_t>(bytes > 0 ? bytes : 1));
        WideCharToMultiByte(932, 0, wide, -1, text.data(), bytes, nullptr, nullptr);
        text.resize(text.size() - 1);
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

class ClientCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  }
};

TEST_F(ClientCheckTest, EveryClientRowIsOkBesideTheStandinAndNgOnceItIsGone) {
  Session s("client_check");
  for (const char* list : {"friendlist.txt", "ignorelist.txt", "chatlist.txt", "keyword.txt", "macro.txt", "call.wav",
                           "TamiruHelp.html"}) {
    ASSERT_TRUE(s.WriteFile(list, ""));
  }
  ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\nFile4=" + s.PathOf("mjscore.txt") + "\r\nUserName1=user1\r\n"));
  ASSERT_TRUE(s.StartStandin("show connect\nshow room\nshow table 5\nerror\nspectatefail\nsay table aaa 秘密の話\n"));
  ASSERT_TRUE(s.Command("game start 東風戦 64 aaa user1 ccc ddd"));
  ASSERT_TRUE(s.Command("game end 64 user1 30 aaa 10 ccc -10 ddd -30"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop("TForm1", "Tamiru Ver1.52", 15000);
  ASSERT_NE(main, nullptr);
  HMENU menu = GetSystemMenu(main, FALSE);
  if (menu != nullptr && GetMenuItemCount(menu) > 1) {
    char caption[64] = {};
    GetMenuStringA(menu, kClientCheckMenuId, caption, sizeof caption, MF_BYCOMMAND);
    EXPECT_STREQ(caption, "クライアント診断(&D)...");
  }
  const std::size_t record_before = s.Record().size();
  PostMessageA(main, WM_SYSCOMMAND, kClientCheckMenuId, 0);
  HWND check = e2e::WaitForTop("TForm5", "クライアント診断", 15000);
  ASSERT_NE(check, nullptr);
  ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(check) != FALSE; }, 15000));
  EXPECT_EQ(GetWindow(check, GW_OWNER), main);
  HWND view = e2e::FindDescendantByClass(check, "SysListView32");
  ASSERT_NE(view, nullptr);
  const DWORD pid = s.TamiruProcessId();

  std::vector<std::vector<std::string>> rows = e2e::ListViewRows(pid, view, 3);
  int client_rows = 0;
  for (const auto& row : rows) {
    if (!IsClientRow(row[0])) continue;
    ++client_rows;
    EXPECT_EQ(row[1], "OK") << row[0] << ": " << row[2];
  }
  EXPECT_EQ(client_rows, 25);
  for (const auto& row : rows) {
    if (row[0] == "DPI") std::printf("DPI row under this system: %s\n", row[2].c_str());
  }  // the client, 5 windows, their 5 child counts, 13 controls, the chat
  // Nothing but reads reached the client: no click, no text set, no key,
  // no selection.
  const std::vector<e2e::RecordEntry> record = s.Record();
  for (std::size_t i = record_before; i < record.size(); ++i) {
    for (const char* acting : {"click", "settext", "keydown", "keyup", "syskeydown", "cb_setcursel", "lb_setcursel"}) {
      EXPECT_NE(record[i].event, acting) << record[i].window << " " << record[i].child;
    }
  }

  // The report on the clipboard, both forms, without the chat.
  e2e::PostClick(e2e::FindDescendantByText(check, "コピー", "Button"));
  std::string copied;
  EXPECT_TRUE(e2e::WaitFor([&] {
    copied = ClipboardText(CF_UNICODETEXT);
    return copied.rfind("Tamiru Ver1.52 クライアント診断 ", 0) == 0;
  }, 5000)) << copied;
  EXPECT_EQ(ClipboardText(CF_TEXT), copied);
  EXPECT_NE(copied.find("\r\n[OK] ゲームクライアント: 起動している"), std::string::npos) << copied;
  EXPECT_EQ(copied.find("秘密"), std::string::npos);

  e2e::BringToFront(check);
  e2e::PumpFor(500);
  e2e::SaveWindowImage(check, e2e::BinDir() + "\\client_check.bmp");

  // A frozen stand-in: its first window says NG 応答なし after one bound
  // (5 s), the others are not waited for, and the window answers again.
  ASSERT_TRUE(s.Command("freeze 30000"));
  ASSERT_TRUE(s.WaitForEntry("standin", -1, "frozen").has_value());
  const DWORD clicked_at = GetTickCount();
  e2e::PostClick(e2e::FindDescendantByText(check, "再確認", "Button"));
  const auto table_row = [&] {
    return std::find_if(rows.begin(), rows.end(), [](const auto& row) { return row[0] == "卓のウィンドウ"; });
  };
  // Rows are read once the check is done: a sent message waits for it.
  EXPECT_TRUE(e2e::WaitFor([&] {
    rows = e2e::ListViewRows(pid, view, 3);
    return table_row() != rows.end() && (*table_row())[1] == "NG";
  }, 30000));
  const DWORD checked_in = GetTickCount() - clicked_at;
  ASSERT_NE(table_row(), rows.end());
  EXPECT_EQ((*table_row())[2].rfind("応答なし: ", 0), 0U) << (*table_row())[2];
  for (const auto& row : rows) {
    if (row[0] == "待合室") {
      EXPECT_EQ(row[2].rfind("応答を待たない", 0), 0U) << row[2];
    }
  }
  EXPECT_LT(checked_in, 12000U);
  std::printf("the check of a frozen client took %lu ms\n", static_cast<unsigned long>(checked_in));
  EXPECT_TRUE(s.SideCommand("thaw"));

  // The stand-in gone: the client's rows say NG or —, and the window works on.
  ASSERT_TRUE(s.KillStandin());
  e2e::PostClick(e2e::FindDescendantByText(check, "再確認", "Button"));
  EXPECT_TRUE(e2e::WaitFor([&] {
    rows = e2e::ListViewRows(pid, view, 3);
    return !rows.empty() && rows.end() != std::find_if(rows.begin(), rows.end(), [](const auto& row) {
      return row[0] == "ゲームクライアント" && row[1] == "NG";
    });
  }, 30000));
  for (const auto& row : rows) {
    if (IsClientRow(row[0])) {
      EXPECT_TRUE(row[1] == "NG" || row[1] == "—") << row[0] << ": " << row[2];
    }
  }
  EXPECT_TRUE(e2e::Answers(check, 2000));
  e2e::BringToFront(check);
  SetFocus(view);
  PostMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(e2e::WaitForNoTop("TForm5", "クライアント診断", 5000));
  EXPECT_TRUE(IsWindow(main));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(s.WaitForTamiruExit(10000).has_value());
}

}  // namespace
