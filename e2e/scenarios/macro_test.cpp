// The macro keys of tamiru.exe beside the stand-in client, with keys pressed
// for real on the display: a bound combination typed into the table chat,
// nothing with another modifier held or another program in front, and a
// name command for every friend.
//
// Under Wine a program with windows reads in GetAsyncKeyState only the keys
// that its own windows receive: keys pressed while the stand-in's table
// window is in front never show there (a window-less program does see them).
// The keys are therefore pressed with Tamiru's window in front, which the
// focus rule accepts as well; the table window in front is covered by the
// native tests.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "e2e/scenarios/harness.h"

namespace {

namespace e2e = tamiru::e2e;
using e2e::Session;
using Lines = std::vector<std::string>;

constexpr const char* kMainClass = "TForm1";
constexpr const char* kMainCaption = "Tamiru Ver1.52";

class MacroTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Session::TamiruBuilt()) GTEST_FAIL() << "tamiru.exe is not in " << e2e::BinDir();
  }
};

void PrepareTamiru(const Session& s, const std::string& macros, const std::string& friends = {}) {
  ASSERT_TRUE(s.WriteFile("friendlist.txt", friends));
  ASSERT_TRUE(s.WriteFile("chatlist.txt", ""));
  ASSERT_TRUE(s.WriteFile("keyword.txt", ""));
  ASSERT_TRUE(s.WriteFile("macro.txt", macros));
  ASSERT_TRUE(s.WriteFile("tamiru.INI", "[Setting]\r\nMacro=1\r\n"));
}

void SendKey(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Keys pressed in order for the life of the object and released in reverse
// order at its end, also when an assertion ends the test early, so that no
// key stays down on the shared display.
class HeldKeys {
 public:
  HeldKeys(std::initializer_list<WORD> keys) : keys_(keys) {
    for (WORD key : keys_) SendKey(key, false);
  }
  ~HeldKeys() {
    for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) SendKey(*it, true);
  }
  HeldKeys(const HeldKeys&) = delete;
  HeldKeys& operator=(const HeldKeys&) = delete;

 private:
  std::vector<WORD> keys_;
};

// Holds the keys for `ms` milliseconds (the poll runs every 80 ms).
void Press(std::initializer_list<WORD> keys, DWORD ms) {
  HeldKeys held(keys);
  e2e::PumpFor(ms);
}

// A plain top-level window of this test's own, standing for another program.
class PlainWindow {
 public:
  PlainWindow() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "TamiruMacroTestPlain";
    RegisterClassA(&window_class);
    window_ = CreateWindowExA(0, "TamiruMacroTestPlain", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                              40, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~PlainWindow() {
    if (window_) DestroyWindow(window_);
  }
  PlainWindow(const PlainWindow&) = delete;
  PlainWindow& operator=(const PlainWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

std::size_t CountOf(const Lines& lines, const std::string& line) {
  std::size_t count = 0;
  for (const auto& each : lines) count += each == line;
  return count;
}

TEST_F(MacroTest, F12HidesButNotWithShiftOrWithAnotherProgramInFront) {
  Session s("macro_hide");
  PrepareTamiru(s, "7B 0 0 0 /Hide \r\n");
  ASSERT_TRUE(s.StartStandin("show table\n"));
  ASSERT_NE(e2e::WaitForTop("KatuGameMjMain", "", 10000), nullptr);
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(e2e::BringToFront(main));

  {
    HeldKeys f12({VK_F12});
    // The key state reaches every program on the display, this one included.
    EXPECT_TRUE(GetAsyncKeyState(VK_F12) & 0x8000);
    e2e::PumpFor(200);
  }
  ASSERT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/h"), 5000));
  e2e::PumpFor(300);
  const std::size_t hides = CountOf(s.SentLines("table"), "/h");
  EXPECT_GE(hides, 1u);

  ASSERT_TRUE(e2e::BringToFront(main));
  Press({VK_SHIFT, VK_F12}, 300);
  e2e::PumpFor(300);
  EXPECT_EQ(CountOf(s.SentLines("table"), "/h"), hides) << "SHIFT+F12 is another combination";

  PlainWindow other;
  ASSERT_NE(other.get(), nullptr);
  ASSERT_TRUE(e2e::BringToFront(other.get()));
  Press({VK_F12}, 300);
  e2e::PumpFor(300);
  EXPECT_EQ(CountOf(s.SentLines("table"), "/h"), hides) << "another program was in front";
}

TEST_F(MacroTest, AltF1AsksWhereEveryFriendIs) {
  Session s("macro_where");
  PrepareTamiru(s, "70 0 1 0 /Where <all> \r\n", "aaa\r\n東風\r\n");
  ASSERT_TRUE(s.StartStandin("show table\n"));
  ASSERT_NE(e2e::WaitForTop("KatuGameMjMain", "", 10000), nullptr);
  ASSERT_TRUE(s.StartTamiru());
  HWND main = e2e::WaitForTop(kMainClass, kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(e2e::BringToFront(main));

  Press({VK_MENU, VK_F1}, 120);
  ASSERT_TRUE(s.WaitForEntry("table", -1, "send", std::string("/w 東風"), 10000));
  e2e::PumpFor(500);
  // One or two ticks saw the keys, and each sent the whole list; a second
  // tick may run inside the first one's wait for the client, so the lines
  // of the two can interleave.
  const Lines sent = s.SentLines("table");
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), "/w aaa");
  EXPECT_EQ(sent.back(), "/w 東風");
  EXPECT_EQ(CountOf(sent, "/w aaa"), CountOf(sent, "/w 東風"));
  EXPECT_EQ(CountOf(sent, "/w aaa") * 2, sent.size());
}

}  // namespace
