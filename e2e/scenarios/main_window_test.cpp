// Tamiru's main window with the stand-in client beside it: start-up with and
// without its list files, one instance at a time, close, the command
// buttons, the chat line in both chats, tell mode, and Enter in the chat line.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;

constexpr const char* kMainClass = "TForm1";
constexpr const char* kMainCaption = "Tamiru Ver1.52";

void WriteListFiles(const Session& s, const std::string& friends = "aaa\r\nbbb\r\n東風\r\n") {
  ASSERT_TRUE(s.WriteFile("friendlist.txt", friends));
  ASSERT_TRUE(s.WriteFile("chatlist.txt", "よろしく\r\nおつかれさま\r\n"));
  ASSERT_TRUE(s.WriteFile("keyword.txt", ""));
  ASSERT_TRUE(s.WriteFile("macro.txt", ""));
}

HWND MainWindow() { return e2e::WaitForTop(kMainClass, kMainCaption, 15000); }

HWND Control(HWND main, const char* text, const char* kind = "Button") {
  HWND control = e2e::FindDescendantByText(main, text, kind);
  EXPECT_NE(control, nullptr) << text;
  return control;
}

HWND TellModeBox(HWND main) {
  for (HWND window : e2e::Descendants(main)) {
    if (e2e::ClassOf(window) == "Button" && (GetWindowLongA(window, GWL_STYLE) & 0x0F) == BS_AUTOCHECKBOX) {
      return window;
    }
  }
  return nullptr;
}

HWND ChatLine(HWND main) { return e2e::FindDescendantByClass(main, "ComboBox"); }

void CloseTamiru(const Session& s, HWND main) {
  PostMessageA(main, WM_CLOSE, 0, 0);
  const auto code = s.WaitForTamiruExit(10000);
  ASSERT_TRUE(code.has_value()) << "Tamiru did not end after WM_CLOSE";
  EXPECT_EQ(*code, 0u);
}

// Puts "aaa" and "bbb" into the selection list and checks the tell-mode box.
void TellToAaaAndBbb(HWND main) {
  HWND selection = e2e::FindDescendantByClass(main, "ListBox", 1);
  e2e::SendBounded(selection, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("aaa"));
  e2e::SendBounded(selection, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("bbb"));
  HWND tell = TellModeBox(main);
  ASSERT_NE(tell, nullptr);
  ASSERT_TRUE(e2e::Click(tell));
  EXPECT_EQ(e2e::SendBounded(tell, BM_GETCHECK, 0, 0), BST_CHECKED);
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  }
};

TEST_F(MainWindowTest, StartsWithItsListsAndWritesEveryKeyAtClose) {
  Session s("main_start");
  WriteListFiles(s);
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);

  RECT client{};
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, 472);
  EXPECT_EQ(client.bottom, 277);
  const LONG style = GetWindowLongA(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);

  EXPECT_EQ(e2e::ItemsAsSjis(e2e::FindDescendantByClass(main, "ListBox", 0), false),
            (std::vector<std::string>{"aaa", "bbb", "東風"}));
  EXPECT_TRUE(e2e::ItemsAsSjis(e2e::FindDescendantByClass(main, "ListBox", 1), false).empty());
  EXPECT_EQ(e2e::ItemsAsSjis(ChatLine(main), true), (std::vector<std::string>{"よろしく", "おつかれさま"}));
  for (const char* caption : {"自動接続", "落ち防止", "ログ保存", "キーワード", "青"}) {
    EXPECT_NE(e2e::FindDescendantByText(main, caption, "Static"), nullptr) << caption;
  }
  EXPECT_EQ(GetWindowLongA(Control(main, "送信"), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);

  SetForegroundWindow(main);
  Sleep(300);
  e2e::SaveWindowImage(main, e2e::BinDir() + "\\main_window.bmp");

  ASSERT_FALSE(s.FileExists("tamiru.INI"));
  CloseTamiru(s, main);
  const auto ini = s.ReadFile("tamiru.INI");
  ASSERT_TRUE(ini.has_value());
  EXPECT_EQ(ini->rfind("[Setting]\r\n", 0), 0u) << *ini;
  // The 21 keys of [Setting], then the four switches of [Tamiru].
  const std::size_t tamiru = ini->find("[Tamiru]\r\n");
  ASSERT_NE(tamiru, std::string::npos) << *ini;
  EXPECT_EQ(std::count(ini->begin(), ini->begin() + static_cast<std::ptrdiff_t>(tamiru), '='), 21) << *ini;
  EXPECT_EQ(ini->substr(tamiru), "[Tamiru]\r\nTrayIcon=1\r\nNotify=0\r\nFriendNotice=0\r\nMinimizeToTray=0\r\n");
  EXPECT_NE(ini->find("File1=" + s.PathOf("friendlist.txt") + "\r\n"), std::string::npos) << *ini;
}

TEST_F(MainWindowTest, MissingFriendListIsNamedByItsFullPathAndTheProgramEndsAfterOk) {
  Session s("main_nolists");
  ASSERT_TRUE(s.StartTamiru());
  HWND box = e2e::WaitForTop("#32770", "Tamiru", 15000);
  ASSERT_NE(box, nullptr);
  const std::string expected = "ファイル " + s.PathOf("friendlist.txt") + " は開けません.";
  bool named = false;
  for (HWND window : e2e::Descendants(box)) {
    if (_stricmp(e2e::TextOf(window).c_str(), expected.c_str()) == 0) named = true;
  }
  EXPECT_TRUE(named) << expected;
  EXPECT_EQ(e2e::FindTop(kMainClass, kMainCaption), nullptr) << "no main window stays";
  ASSERT_TRUE(e2e::PostClick(e2e::FindDescendantByClass(box, "Button")));
  const auto code = s.WaitForTamiruExit(10000);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0u);
}

TEST_F(MainWindowTest, SecondInstanceEndsWithExitCodeOneShowingNothing) {
  Session s("main_second");
  WriteListFiles(s);
  ASSERT_TRUE(s.StartTamiru());
  HWND first = MainWindow();
  ASSERT_NE(first, nullptr);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION second{};
  std::string exe = s.PathOf("tamiru.exe");
  std::string command_line = "\"" + exe + "\"";
  ASSERT_TRUE(CreateProcessA(exe.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             s.Folder().c_str(), &startup, &second));
  const DWORD waited = WaitForSingleObject(second.hProcess, 15000);
  DWORD code = 0;
  GetExitCodeProcess(second.hProcess, &code);
  if (waited != WAIT_OBJECT_0) TerminateProcess(second.hProcess, 9);
  ASSERT_EQ(waited, WAIT_OBJECT_0);
  EXPECT_EQ(code, 1u);
  EXPECT_TRUE(e2e::TopWindowsOf(second.dwProcessId, false).empty());
  CloseHandle(second.hThread);
  CloseHandle(second.hProcess);
  EXPECT_TRUE(IsWindowVisible(first)) << "the running instance is not touched";
  CloseTamiru(s, first);
}

TEST_F(MainWindowTest, CommandButtonsAndTheSendButtonReachTheTableChat) {
  Session s("main_table");
  WriteListFiles(s);
  ASSERT_TRUE(s.StartStandin("show table\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);

  for (const char* command : {"/chaton", "/chatoff", "/l", "/h"}) {
    ASSERT_TRUE(e2e::Click(Control(main, command)));
    EXPECT_TRUE(s.WaitForEntry("table", -1, "send", std::string(command))) << command;
  }
  ASSERT_TRUE(e2e::SetTextOf(ChatLine(main), "こんにちは"));
  ASSERT_TRUE(e2e::Click(Control(main, "送信")));
  EXPECT_TRUE(s.WaitForEntry("table", -1, "send", std::string("こんにちは")));
  EXPECT_EQ(e2e::TextOf(ChatLine(main)), "");
  EXPECT_EQ(s.SentLines("table"), (std::vector<std::string>{"/chaton", "/chatoff", "/l", "/h", "こんにちは"}));
  CloseTamiru(s, main);
}

TEST_F(MainWindowTest, InTheWaitingRoomOnlyTheChatLineIsSent) {
  Session s("main_room");
  WriteListFiles(s);
  ASSERT_TRUE(s.StartStandin("show room\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(e2e::Click(Control(main, "/chaton")));
  ASSERT_TRUE(e2e::SetTextOf(ChatLine(main), "room hello"));
  ASSERT_TRUE(e2e::Click(Control(main, "送信")));
  ASSERT_TRUE(s.WaitForEntry("room", -1, "send", std::string("room hello")));
  EXPECT_EQ(s.SentLines("room"), std::vector<std::string>{"room hello"});
  EXPECT_EQ(e2e::TextOf(ChatLine(main)), "");
  CloseTamiru(s, main);
}

TEST_F(MainWindowTest, TellModeSendsToBothNamesFiveAndAHalfSecondsApart) {
  Session s("main_tell");
  WriteListFiles(s);
  ASSERT_TRUE(s.StartStandin("show table\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_NO_FATAL_FAILURE(TellToAaaAndBbb(main));

  ASSERT_TRUE(e2e::SetTextOf(ChatLine(main), "hello"));
  ASSERT_TRUE(e2e::PostClick(Control(main, "送信")));
  const auto second = s.WaitForEntry("table", -1, "send", std::string("/t bbb hello"), 15000);
  ASSERT_TRUE(second.has_value());
  const auto first = s.WaitForEntry("table", -1, "send", std::string("/t aaa hello"), 0);
  ASSERT_TRUE(first.has_value());
  const std::uint32_t apart = second->tick - first->tick;
  EXPECT_GE(apart, 5500u);
  EXPECT_LT(apart, 7500u);
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(ChatLine(main)).empty(); }));
  CloseTamiru(s, main);
}

TEST_F(MainWindowTest, EnterInTheChatLinePressesTheSendButton) {
  Session s("main_enter");
  WriteListFiles(s);
  ASSERT_TRUE(s.StartStandin("show table\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  HWND line = ChatLine(main);
  ASSERT_TRUE(e2e::SetTextOf(line, "enter line"));
  HWND edit = FindWindowExA(line, nullptr, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC01C0001);
  EXPECT_TRUE(s.WaitForEntry("table", -1, "send", std::string("enter line")));
  EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(line).empty(); }));
  CloseTamiru(s, main);
}

}  // namespace

namespace {

// Enter during the 5.5 s pause of a tell-mode send still presses the send
// button: the waiting loop gives keys the same dialog handling as the main
// loop, and the second send runs inside the first.
TEST_F(MainWindowTest, EnterDuringATellPauseSendsInsideIt) {
  Session s("main_enter_pause");
  WriteListFiles(s);
  ASSERT_TRUE(s.StartStandin("show table\n"));
  ASSERT_TRUE(s.StartTamiru());
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_NO_FATAL_FAILURE(TellToAaaAndBbb(main));
  HWND tell = TellModeBox(main);
  HWND line = ChatLine(main);
  ASSERT_TRUE(e2e::SetTextOf(line, "hello"));
  ASSERT_TRUE(e2e::PostClick(Control(main, "送信")));
  ASSERT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/t aaa hello"), 10000));

  ASSERT_TRUE(e2e::PostClick(tell));  // tell mode off, inside the pause
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::SendBounded(tell, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
  ASSERT_TRUE(e2e::SetTextOf(line, "inner"));
  HWND edit = FindWindowExA(line, nullptr, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC01C0001);
  const auto inner = s.WaitForEntry("table", -1, "send", std::string("inner"), 5000);
  ASSERT_TRUE(inner.has_value());
  // The first send goes on with the chat line as it is now: emptied.
  const auto last = s.WaitForEntry("table", -1, "send", std::string("/t bbb "), 10000);
  ASSERT_TRUE(last.has_value());
  EXPECT_LT(inner->tick, last->tick);
  CloseTamiru(s, main);
}

}  // namespace
