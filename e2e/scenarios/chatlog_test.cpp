// The chat log beside the stand-in client: other players chat in the waiting
// room and at a table over several Timer2 ticks, and the month's log file
// holds every line once, byte for byte. The log and keyword switches and the
// keyword add are pressed through Tamiru's own controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;

constexpr const char* kMainClass = "TForm1";
constexpr const char* kMainCaption = "Tamiru Ver1.52";
constexpr unsigned kTickWaitMs = 12000;  // Timer2 runs every 3 s

class ChatlogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_SKIP() << "tamiru.exe is not built";
  }
};

std::string Pad(std::size_t n) { return std::string(n, ' '); }

using e2e::MonthLogName;

// A control of Tamiru's main window by its place in the client area.
HWND ControlAt(HWND main, int left, int top) {
  for (HWND window : e2e::Descendants(main)) {
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&rect), 2);
    if (rect.left == left && rect.top == top) return window;
  }
  return nullptr;
}

HWND Button3(HWND main) { return ControlAt(main, 64, 88); }
HWND Button18(HWND main) { return ControlAt(main, 64, 128); }
HWND Button25(HWND main) { return ControlAt(main, 8, 142); }
HWND Edit2(HWND main) { return ControlAt(main, 8, 172); }

void WriteFiles(const Session& s, const std::string& ini, const std::string& keywords) {
  ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\n" + ini));
  ASSERT_TRUE(s.WriteFile("friendlist.txt", ""));
  ASSERT_TRUE(s.WriteFile("chatlist.txt", ""));
  ASSERT_TRUE(s.WriteFile("keyword.txt", keywords));
  ASSERT_TRUE(s.WriteFile("macro.txt", ""));
  if (const auto sound = e2e::BinDir(); !sound.empty()) {
    CopyFileA((sound + "\\call.wav").c_str(), s.PathOf("call.wav").c_str(), FALSE);
  }
}

// Waits until the log file reads `expected`; on a time-out the test sees the
// difference.
void ExpectLog(const Session& s, const std::string& expected) {
  const std::string name = MonthLogName();
  e2e::WaitFor([&] { return s.ReadFile(name).value_or("") == expected; }, kTickWaitMs);
  EXPECT_EQ(s.ReadFile(name).value_or("<no log file>"), expected);
}

TEST_F(ChatlogTest, RoomAndTableChatIsLoggedOnceByteForByte) {
  Session s("chatlog_room_table");
  WriteFiles(s, "SaveChatLog=1\r\nKeyword=1\r\nSaveChatLogTimeInterval=3\r\nChatLogFormat=0\r\n", "ロン\r\n");
  ASSERT_TRUE(s.StartStandin("show room\n"));
  ASSERT_TRUE(s.Command("clear room"));
  // Japanese chat, and a line long enough to wrap in the view, above the
  // lines that later ticks find new.
  ASSERT_TRUE(s.Command("say room 太郎 こんにちは、よろしくお願いします"));
  const std::string long_text(180, 'w');
  ASSERT_TRUE(s.Command("say room 花子 " + long_text));
  ASSERT_TRUE(s.StartTamiru());

  std::string expected = "太郎>" + Pad(9) + "こんにちは、よろしくお願いします\r\n" + "花子>" + Pad(9) + long_text + "\r\n";
  ExpectLog(s, expected);

  ASSERT_TRUE(s.Command("say room 次郎 ロンです"));
  ASSERT_TRUE(s.Command("notice room 三郎 さんは 一般卓 にいます"));
  ASSERT_TRUE(s.Command("notice room ひろし：<<接続>>"));
  expected += "次郎>" + Pad(9) + "ロンです\r\n" + "三郎 さんは 一般卓 にいます\r\n" + "ひろし：<<接続>>\r\n";
  ExpectLog(s, expected);
  Sleep(3500);  // a tick with nothing new adds nothing
  ExpectLog(s, expected);

  // Sitting at a table: its chat is a new source, logged from its top.
  ASSERT_TRUE(s.Command("sit 3"));
  ASSERT_TRUE(e2e::WaitForTop("KatuGameMjMain", "", 10000));
  ASSERT_TRUE(s.Command("say table abc hello"));
  ASSERT_TRUE(s.Command("saytab table 東 リーチ"));
  const auto seated = s.Entries("table", 0, "line");
  ASSERT_FALSE(seated.empty());
  std::string table_lines;
  for (const auto& entry : seated) {
    if (entry.detail.find('>') == std::string::npos) table_lines += entry.detail + "\r\n";
  }
  expected += table_lines + "abc" + Pad(11) + ">hello\r\n" + "東" + Pad(12) + ">リーチ\r\n";
  ExpectLog(s, expected);
}

TEST_F(ChatlogTest, SwitchesAndKeywordAddThroughTheControls) {
  Session s("chatlog_switches");
  WriteFiles(s, "SaveChatLogTimeInterval=3\r\nChatLogFormat=3\r\n", "ron\r\n");
  ASSERT_TRUE(s.StartStandin("show room\n"));
  ASSERT_TRUE(s.Command("clear room"));
  ASSERT_TRUE(s.Command("say room taro hi"));
  ASSERT_TRUE(s.Command("notice room jiro is in room 2"));  // no ">": left out
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  ASSERT_NE(Button3(main), nullptr);
  EXPECT_EQ(e2e::TextOf(Button3(main)), "OFF");

  ASSERT_TRUE(e2e::Click(Button3(main)));
  EXPECT_EQ(e2e::TextOf(Button3(main)), "ON");
  ASSERT_TRUE(s.Command("say room hana yo"));
  const std::string name = MonthLogName();
  ASSERT_TRUE(e2e::WaitFor([&] { return s.ReadFile(name).value_or("").find("yo\r\n") != std::string::npos; },
                           kTickWaitMs));
  // Each record carries the date and time in the system's format.
  SYSTEMTIME now;
  GetLocalTime(&now);
  char year[8];
  snprintf(year, sizeof year, "%04d", now.wYear);
  const std::string log = *s.ReadFile(name);
  EXPECT_EQ(log.rfind(year, 0), 0u) << log;
  EXPECT_NE(log.find(")"), std::string::npos);
  EXPECT_TRUE(log.ends_with(" hana>" + Pad(9) + "yo\r\n")) << log;
  EXPECT_NE(log.find(" taro>" + Pad(9) + "hi\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("jiro"), std::string::npos);

  // Log off: new chat is no longer written.
  ASSERT_TRUE(e2e::Click(Button3(main)));
  EXPECT_EQ(e2e::TextOf(Button3(main)), "OFF");
  ASSERT_TRUE(s.Command("say room hana later"));
  Sleep(4000);
  EXPECT_EQ(s.ReadFile(name).value_or(""), log);

  ASSERT_TRUE(e2e::Click(Button18(main)));
  EXPECT_EQ(e2e::TextOf(Button18(main)), "ON");

  // The keyword add: a new word is saved at once, a duplicate is not.
  ASSERT_NE(Edit2(main), nullptr);
  ASSERT_TRUE(e2e::SetTextOf(Edit2(main), "ツモ"));
  ASSERT_TRUE(e2e::Click(Button25(main)));
  EXPECT_EQ(e2e::TextOf(Edit2(main)), "");
  EXPECT_EQ(s.ReadFile("keyword.txt").value_or(""), "ron\r\nツモ\r\n");
  ASSERT_TRUE(e2e::SetTextOf(Edit2(main), "ron"));
  ASSERT_TRUE(e2e::Click(Button25(main)));
  EXPECT_EQ(e2e::TextOf(Edit2(main)), "");
  EXPECT_EQ(s.ReadFile("keyword.txt").value_or(""), "ron\r\nツモ\r\n");
}

}  // namespace
