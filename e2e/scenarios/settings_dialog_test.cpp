// The settings dialog in tamiru.exe: opened from 設定 over a disabled main
// window whose timers go on, a value changed on each page through the real
// controls and taken over by OK (INI file and main window), Cancel and the
// close box, Enter and Esc pressing neither button, a macro registered with
// a real key press, and a picture of each page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"
// After <windows.h>: the tab control's messages.
#include <commctrl.h>

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;

constexpr const char* kMainClass = "TForm1";
constexpr const char* kMainCaption = "Tamiru Ver1.52";
constexpr const char* kDialogClass = "TForm2";
constexpr const char* kDialogCaption = "各種設定";

void WriteListFiles(const Session& s, const std::string& ini = "[Setting]\r\n") {
  ASSERT_TRUE(s.WriteFile("friendlist.txt", "aaa\r\nbbb\r\n"));
  ASSERT_TRUE(s.WriteFile("friends2.txt", "zzz\r\n東風\r\n"));
  ASSERT_TRUE(s.WriteFile("chatlist.txt", "よろしく\r\n"));
  ASSERT_TRUE(s.WriteFile("keyword.txt", ""));
  ASSERT_TRUE(s.WriteFile("macro.txt", ""));
  ASSERT_TRUE(s.WriteFile("tamiru.INI", ini));
}

// Shown, once the main window is disabled under it.
HWND OpenDialog(HWND main) {
  // Posted: the click's handler runs the dialog's modal loop.
  EXPECT_TRUE(e2e::PostClick(e2e::FindDescendantByText(main, "設定", "Button")));
  HWND dialog = e2e::WaitForTop(kDialogClass, kDialogCaption);
  if (dialog == nullptr || !e2e::WaitFor([&] { return IsWindowVisible(dialog) && !IsWindowEnabled(main); })) {
    return nullptr;
  }
  return dialog;
}

HWND TabsOf(HWND dialog) { return e2e::FindDescendantByClass(dialog, "SysTabControl32"); }
bool ShowPage(HWND dialog, int index) { return e2e::ShowTabPage(TabsOf(dialog), index); }
void Key(WORD key) { e2e::PressKey(key); }
void ClickIn(HWND window, int x = -1, int y = -1) { e2e::ClickIn(window, x, y); }

HWND In(HWND dialog, const char* text, const char* kind = "Button") {
  HWND control = e2e::FindDescendantByText(dialog, text, kind);
  EXPECT_NE(control, nullptr) << text;
  return control;
}

bool Checked(HWND button) { return e2e::SendBounded(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool Holds(const std::string& ini, const std::string& line) { return ini.find(line + "\r\n") != std::string::npos; }

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  }
};

TEST_F(SettingsDialogTest, OkTakesOverAValueFromEachPage) {
  Session s("settings_ok");
  WriteListFiles(s, "[Setting]\r\nAutoConnectTimeInterval=5\r\n");
  // A client whose connection attempts hang: auto-connect presses its
  // connect button again every 5 s, from Timer1.
  ASSERT_TRUE(s.StartStandin("connect none\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(e2e::Click(e2e::FindDescendantByClass(main, "Button", 0)));
  ASSERT_TRUE(s.WaitForEntry("connect", 8, "click", std::nullopt, 5000));

  HWND dialog = OpenDialog(main);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
  RECT client{}, frame{};
  GetClientRect(dialog, &client);
  GetWindowRect(dialog, &frame);
  EXPECT_EQ(client.right, 345);
  EXPECT_EQ(client.bottom, 370);
  EXPECT_EQ(frame.left, 273);
  EXPECT_EQ(frame.top, 130);
  const LONG style = GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  ASSERT_TRUE(e2e::BringToFront(dialog));

  // The main window's timers run while the dialog is up.
  const std::size_t presses = s.Entries("connect", 8, "click").size();
  EXPECT_TRUE(e2e::WaitFor([&] { return s.Entries("connect", 8, "click").size() > presses; }, 8000));

  // Page 1: the upper arrow of the first spin control, a check box, a radio button.
  HWND spin = e2e::FindDescendantByClass(dialog, "msctls_updown32", 0);
  HWND interval = e2e::FindDescendantByClass(dialog, "Edit", 0);
  ASSERT_EQ(e2e::TextOf(interval), "5");
  RECT arrows{};
  GetClientRect(spin, &arrows);
  ClickIn(spin, arrows.right / 2, arrows.bottom / 4);
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(interval) == "6"; }, 2000)) << e2e::TextOf(interval);
  // The arrow keys step it too.
  ClickIn(interval);
  Key(VK_UP);
  Key(VK_UP);
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(interval) == "8"; }, 2000)) << e2e::TextOf(interval);
  ClickIn(In(dialog, "チャットログに/w,/rの結果を含めない"));
  ClickIn(In(dialog, "ＪＰＧ"));
  EXPECT_FALSE(Checked(In(dialog, "ＢＭＰ")));
  ClickIn(In(dialog, "三人打ち"));
  e2e::SaveWindowImage(dialog, e2e::BinDir() + "\\settings-page1.bmp");

  // Page 2: a handle typed, cut at 12 bytes.
  ASSERT_TRUE(ShowPage(dialog, 1));
  HWND handle = e2e::FindDescendantByClass(dialog, "Edit", 3);
  ClickIn(handle);
  for (WORD key : {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N'}) Key(key);
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(handle) == "abcdefghijkl"; }, 2000)) << e2e::TextOf(handle);
  e2e::SaveWindowImage(dialog, e2e::BinDir() + "\\settings-page2.bmp");

  // Page 3: the friend list path.
  ASSERT_TRUE(ShowPage(dialog, 2));
  HWND friend_path = e2e::FindDescendantByClass(dialog, "Edit", 6);
  EXPECT_EQ(e2e::TextOf(friend_path), s.PathOf("friendlist.txt"));
  ASSERT_TRUE(e2e::SetTextOf(friend_path, s.PathOf("friends2.txt")));
  e2e::SaveWindowImage(dialog, e2e::BinDir() + "\\settings-page3.bmp");

  // Page 4: macro keys on.
  ASSERT_TRUE(ShowPage(dialog, 3));
  ClickIn(In(dialog, "マクロキーを使用する"));
  e2e::SaveWindowImage(dialog, e2e::BinDir() + "\\settings-page4.bmp");

  ClickIn(In(dialog, "OK"));
  ASSERT_TRUE(e2e::WaitForNoTop(kDialogClass, kDialogCaption));
  EXPECT_TRUE(IsWindowEnabled(main));
  const std::string ini = s.ReadFile("tamiru.INI").value_or("");
  EXPECT_TRUE(Holds(ini, "AutoConnectTimeInterval=8")) << ini;
  EXPECT_TRUE(Holds(ini, "ChatLogFormat=1")) << ini;
  EXPECT_TRUE(Holds(ini, "ImageFileFormat=1")) << ini;
  EXPECT_TRUE(Holds(ini, "TableType=2")) << ini;
  EXPECT_TRUE(Holds(ini, "UserName1=abcdefghijkl")) << ini;
  EXPECT_TRUE(Holds(ini, "File1=" + s.PathOf("friends2.txt"))) << ini;
  EXPECT_TRUE(Holds(ini, "Macro=1")) << ini;
  EXPECT_EQ(e2e::ItemsAsSjis(e2e::FindDescendantByClass(main, "ListBox", 0), false),
            (std::vector<std::string>{"zzz", "東風"}));
}

TEST_F(SettingsDialogTest, CancelCloseBoxEnterAndEscTakeNothingOver) {
  Session s("settings_cancel");
  WriteListFiles(s, "[Setting]\r\nAutoWatchTimeInterval=45\r\n");
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption);
  ASSERT_NE(main, nullptr);
  const std::string ini_before = s.ReadFile("tamiru.INI").value_or("");

  HWND dialog = OpenDialog(main);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(e2e::BringToFront(dialog));
  // Out of range in the file: shown at the end of the range.
  EXPECT_EQ(e2e::TextOf(e2e::FindDescendantByClass(dialog, "Edit", 1)), "30");
  ClickIn(In(dialog, "チャットログに日時も出力する"));
  // Enter and Esc, on a check box and in an edit: the dialog stays.
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  ClickIn(e2e::FindDescendantByClass(dialog, "Edit", 0));
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  e2e::PumpFor(300);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(e2e::FindTop(kDialogClass, kDialogCaption), dialog);
  ClickIn(In(dialog, "キャンセル"));
  ASSERT_TRUE(e2e::WaitForNoTop(kDialogClass, kDialogCaption));
  EXPECT_EQ(s.ReadFile("tamiru.INI").value_or(""), ini_before);

  // The close box is Cancel too.
  dialog = OpenDialog(main);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(e2e::BringToFront(dialog));
  ClickIn(In(dialog, "チャットログに日時も出力する"));
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(e2e::WaitForNoTop(kDialogClass, kDialogCaption));
  EXPECT_EQ(s.ReadFile("tamiru.INI").value_or(""), ini_before);
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(SettingsDialogTest, MacroRegisteredWithARealKeyPress) {
  Session s("settings_macro");
  WriteListFiles(s, "[Setting]\r\nMacro=1\r\n");
  ASSERT_TRUE(s.StartStandin("show room\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption);
  ASSERT_NE(main, nullptr);
  HWND dialog = OpenDialog(main);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(e2e::BringToFront(dialog));
  ASSERT_TRUE(ShowPage(dialog, 3));

  HWND key = e2e::FindDescendantByClass(dialog, "Edit", 12);
  ClickIn(key);
  Key(VK_F1);
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(key) == "F1"; }, 2000)) << e2e::TextOf(key);
  // Enter reaches the key box as a key; the dialog stays.
  Key(VK_RETURN);
  EXPECT_TRUE(e2e::WaitFor([&] { return !e2e::TextOf(key).empty() && e2e::TextOf(key) != "F1"; }, 2000));
  // ALT+F2: the key is captured, not ALT; ALT comes from its check box.
  INPUT alt[2]{};
  alt[0].type = alt[1].type = INPUT_KEYBOARD;
  alt[0].ki.wVk = alt[1].ki.wVk = VK_MENU;
  alt[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &alt[0], sizeof alt[0]);
  Key(VK_F2);
  SendInput(1, &alt[1], sizeof alt[1]);
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(key) == "F2"; }, 2000)) << e2e::TextOf(key);

  HWND action = e2e::FindDescendantByClass(dialog, "ComboBox", 0);
  e2e::SendBounded(action, CB_SETCURSEL, 0, 0);  // "/Where"
  e2e::SendBounded(GetParent(action), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(action), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(action));
  HWND argument = e2e::FindDescendantByClass(dialog, "ComboBox", 1);
  EXPECT_TRUE(IsWindowVisible(argument));
  e2e::SendBounded(argument, CB_SETCURSEL, 0, 0);  // "<all>"
  ClickIn(In(dialog, "登録"));
  EXPECT_TRUE(e2e::WaitFor([&] { return s.ReadFile("macro.txt").value_or("") == "71 0 1 0 /Where <all> \r\n"; }, 3000))
      << s.ReadFile("macro.txt").value_or("");
  EXPECT_EQ(e2e::TextOf(key), "");
  ClickIn(In(dialog, "キャンセル"));
  ASSERT_TRUE(e2e::WaitForNoTop(kDialogClass, kDialogCaption));
  // Cancel does not undo what the editor saved, and the key poll sees the
  // new line at once: ALT+F2 with Tamiru in front asks where each friend is.
  EXPECT_EQ(s.ReadFile("macro.txt").value_or(""), "71 0 1 0 /Where <all> \r\n");
  ASSERT_TRUE(e2e::BringToFront(main));
  INPUT keys[4]{};
  for (INPUT& input : keys) input.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = VK_MENU;
  keys[1].ki.wVk = VK_F2;
  keys[2].ki.wVk = VK_F2;
  keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
  keys[3].ki.wVk = VK_MENU;
  keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof keys[0]);
  Sleep(300);  // held over several 80 ms polls
  SendInput(2, keys + 2, sizeof keys[0]);
  EXPECT_TRUE(e2e::WaitFor(
      [&] {
        const auto lines = s.SentLines("room");
        return std::find(lines.begin(), lines.end(), "/w aaa") != lines.end() &&
               std::find(lines.begin(), lines.end(), "/w bbb") != lines.end();
      },
      10000));
}

}  // namespace
