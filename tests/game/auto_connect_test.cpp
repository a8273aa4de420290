#include "game/auto_connect.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_event_loop.h"

namespace tamiru::game {
namespace {

using platform::fake::FakeButton;
using platform::fake::FakeDesktop;
using platform::fake::FakeEventLoop;
using platform::fake::RecordedMessage;
namespace msg = platform::msg;

class RecordingShell : public platform::Shell {
 public:
  void ShellExecute(platform::WindowHandle, std::optional<std::string>, const std::string&,
                    std::optional<std::string>, int) override {}
  void WinExec(const std::string& command_line, int show_command) override {
    runs.emplace_back(command_line, show_command);
  }
  std::string ExecutablePath() override { return "C:\\Tamiru\\tamiru.exe"; }
  std::vector<std::pair<std::string, int>> runs;
};

// ---- The client's folder from File4 ----

TEST(ClientCommandLine, FolderRule) {
  EXPECT_EQ(ClientCommandLine("C:\\Program Files\\MjTonpu\\mjscore.txt"), "C:\\Program Files\\MjTonpu\\MJ.exe");
  // A drive root keeps its backslash, so the command line holds two.
  EXPECT_EQ(ClientFolder("C:\\mjscore.txt"), "C:\\");
  EXPECT_EQ(ClientCommandLine("C:\\mjscore.txt"), "C:\\\\MJ.exe");
  EXPECT_EQ(ClientCommandLine("C:mjscore.txt"), "C:\\MJ.exe");
  EXPECT_EQ(ClientCommandLine("mjscore.txt"), "\\MJ.exe");
  EXPECT_EQ(ClientCommandLine(""), "\\MJ.exe");
  EXPECT_EQ(ClientFolder("\\mjscore.txt"), "");
  EXPECT_EQ(ClientFolder("\\\\server\\share\\mjscore.txt"), "\\\\server\\share");
  // A backslash right after another one stays.
  EXPECT_EQ(ClientFolder("C:\\games\\\\mjscore.txt"), "C:\\games\\\\");
}

TEST(ClientCommandLine, TrailByteBackslashIsNotASeparator) {
  // "表" is 0x95 0x5C in Shift_JIS: its second byte is not a folder break.
  const std::string kanji = "表";
  ASSERT_EQ(kanji, "\x95\x5C");
  EXPECT_EQ(ClientFolder("C:\\dir\\" + kanji), "C:\\dir");
  EXPECT_EQ(ClientFolder("C:\\" + kanji + "\\mjscore.txt"), "C:\\" + kanji);
  EXPECT_EQ(ClientFolder(kanji + "score.txt"), "");
  // A lone lead byte at the very end is read safely.
  EXPECT_EQ(ClientFolder("C:\\dir\\\x95"), "C:\\dir");
}

// ---- Button1Click and Timer1Timer on the simulated desktop ----

class AutoConnectTest : public ::testing::Test {
 protected:
  AutoConnectTest() : timer1_(loop_.CreateTimer()) {
    timer1_->SetInterval(kTimer1IntervalMs);
    timer1_->SetHandler([this] { Step(); });
    button1_.SetCaption("OFF");
  }

  void Click() { Button1Click(state_, controls_, file4_, desktop_, shell_); }
  void Step() { Timer1Timer(state_, controls_, interval_, desktop_, loop_); }

  std::vector<RecordedMessage> Clicks(platform::WindowHandle window) {
    return desktop_.MessagesTo(window, msg::kButtonClick);
  }

  FakeEventLoop loop_{5'000'000};
  FakeDesktop desktop_{loop_};
  RecordingShell shell_;
  std::unique_ptr<platform::Timer> timer1_;
  FakeButton button1_;
  FakeButton label5_;
  AutoConnectControls controls_{button1_, label5_, *timer1_};
  AutoConnectState state_;
  std::string file4_ = "C:\\Program Files\\MjTonpu\\mjscore.txt";
  std::int32_t interval_ = 15;
};

TEST_F(AutoConnectTest, SwitchingOnWithoutAClientStartsIt) {
  Click();
  ASSERT_EQ(shell_.runs.size(), 1u);
  EXPECT_EQ(shell_.runs[0].first, "C:\\Program Files\\MjTonpu\\MJ.exe");
  EXPECT_EQ(shell_.runs[0].second, platform::kSwShow);
  EXPECT_TRUE(state_.AutoConnectOn);
  EXPECT_EQ(button1_.Caption(), "ON");
  EXPECT_TRUE(timer1_->IsEnabled());
}

TEST_F(AutoConnectTest, AnyClientWindowMeansNoStart) {
  desktop_.CreateConnectDialog();
  Click();
  Click();
  desktop_.Destroy(desktop_.FindWindow("#32770", "東風荘－接続"));
  const auto room = desktop_.CreateWaitingRoom();
  Click();
  Click();
  desktop_.Destroy(room.window);
  desktop_.CreateGameMainWindow();
  Click();
  EXPECT_TRUE(shell_.runs.empty());
  EXPECT_TRUE(timer1_->IsEnabled());
}

TEST_F(AutoConnectTest, OverlongCommandLineIsNotRun) {
  // Folder + "\MJ.exe" of 255 bytes still fits the 256-byte buffer; 256 does not.
  const std::string folder_255 = "C:\\" + std::string(255 - 3 - 7, 'a');
  file4_ = folder_255 + "\\mjscore.txt";
  Click();
  ASSERT_EQ(shell_.runs.size(), 1u);
  EXPECT_EQ(shell_.runs[0].first.size(), 255u);

  Click();  // off
  file4_ = folder_255 + "b\\mjscore.txt";
  Click();
  EXPECT_EQ(shell_.runs.size(), 1u);
  // Auto-connect is still on and its first step finds no dialog.
  EXPECT_TRUE(timer1_->IsEnabled());
  loop_.Advance(kTimer1IntervalMs);
  EXPECT_FALSE(state_.AutoConnectOn);
}

TEST_F(AutoConnectTest, SwitchingOffResetsEverything) {
  desktop_.CreateConnectDialog();
  Click();
  loop_.Advance(kTimer1IntervalMs * 3);
  ASSERT_NE(state_.ConnectAttemptTick, 0u);
  ASSERT_FALSE(label5_.Caption().empty());
  Click();
  EXPECT_FALSE(state_.AutoConnectOn);
  EXPECT_EQ(button1_.Caption(), "OFF");
  EXPECT_FALSE(timer1_->IsEnabled());
  EXPECT_EQ(label5_.Caption(), "");
  EXPECT_EQ(state_.ConnectAttemptTick, 0u);
}

TEST_F(AutoConnectTest, FirstStepPressesConnectAndLeavesLabelAlone) {
  const auto dialog = desktop_.CreateConnectDialog();
  state_.AutoConnectOn = true;
  label5_.SetCaption("untouched");
  Step();
  const auto presses = Clicks(dialog.child[8]);
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_EQ(presses[0].kind, RecordedMessage::Kind::kPosted);
  EXPECT_TRUE(Clicks(dialog.child[9]).empty());
  EXPECT_EQ(state_.ConnectAttemptTick, loop_.TickCount());
  EXPECT_EQ(label5_.Caption(), "untouched");
}

TEST_F(AutoConnectTest, CountdownEdgesAroundTheInterval) {
  const auto dialog = desktop_.CreateConnectDialog();
  state_.AutoConnectOn = true;
  const std::uint32_t pressed = loop_.TickCount();
  state_.ConnectAttemptTick = pressed;

  loop_.SetTick(pressed + 14'999);
  Step();
  EXPECT_EQ(label5_.Caption(), "残り1秒");
  EXPECT_TRUE(desktop_.Messages().empty());

  loop_.SetTick(pressed + 15'000);
  Step();
  EXPECT_EQ(label5_.Caption(), "残り0秒");
  // Pressed out (child 9), then a new attempt (child 8), in that order.
  const auto& record = desktop_.Messages();
  ASSERT_EQ(record.size(), 2u);
  EXPECT_EQ(record[0].window, dialog.child[9]);
  EXPECT_EQ(record[0].message, msg::kButtonClick);
  EXPECT_EQ(record[1].window, dialog.child[8]);
  EXPECT_EQ(record[1].message, msg::kButtonClick);
  EXPECT_EQ(state_.ConnectAttemptTick, pressed + 15'000);
}

TEST_F(AutoConnectTest, LateStepShowsNegativeAndTickWrapIsHandled) {
  desktop_.CreateConnectDialog();
  state_.AutoConnectOn = true;
  // The attempt started just before the 32-bit tick count wrapped.
  state_.ConnectAttemptTick = 0xFFFF'FC18;  // 1 s before the wrap
  loop_.SetTick(4'000);                     // 5 s after the press
  Step();
  EXPECT_EQ(label5_.Caption(), "残り10秒");

  interval_ = 2;
  Step();
  EXPECT_EQ(label5_.Caption(), "残り-3秒");
  EXPECT_EQ(state_.ConnectAttemptTick, 4'000u);
}

TEST_F(AutoConnectTest, ErrorDialogIsDismissedAndTheAttemptWaitsAStep) {
  const auto connect = desktop_.CreateConnectDialog();
  const auto error = desktop_.CreateMessageDialog("エラー", "接続できません");
  state_.AutoConnectOn = true;
  state_.ConnectAttemptTick = loop_.TickCount() - 3'000;
  Step();
  EXPECT_EQ(Clicks(error.child[0]).size(), 1u);
  EXPECT_EQ(state_.ConnectAttemptTick, 0u);
  EXPECT_TRUE(Clicks(connect.child[8]).empty());

  // The posted dismissal closes the dialog when the loop turns; the next
  // step starts the new attempt with remaining 0.
  loop_.Advance(kTimer1IntervalMs);
  ASSERT_FALSE(desktop_.Exists(error.window));
  label5_.SetCaption("kept");
  Step();
  EXPECT_EQ(Clicks(connect.child[8]).size(), 1u);
  EXPECT_EQ(label5_.Caption(), "kept");
}

TEST_F(AutoConnectTest, MissingDialogSwitchesOffAndCanBeSwitchedOnAgain) {
  desktop_.CreateConnectDialog();
  Click();
  Step();
  ASSERT_NE(state_.ConnectAttemptTick, 0u);
  desktop_.Destroy(desktop_.FindWindow("#32770", "東風荘－接続"));
  Step();
  EXPECT_FALSE(timer1_->IsEnabled());
  EXPECT_EQ(label5_.Caption(), "");
  EXPECT_EQ(button1_.Caption(), "OFF");
  EXPECT_EQ(state_.ConnectAttemptTick, 0u);
  EXPECT_FALSE(state_.AutoConnectOn);
  Click();
  EXPECT_TRUE(state_.AutoConnectOn);
  EXPECT_TRUE(timer1_->IsEnabled());
}

TEST_F(AutoConnectTest, TypicalRunCountsDownOncePerSecondUntilConnected) {
  const auto dialog = desktop_.CreateConnectDialog();
  int connects = 0;
  // The second attempt succeeds: the client closes its dialog 2 s later.
  desktop_.OnMessage(dialog.child[8], msg::kButtonClick, [&](const RecordedMessage&) {
    if (++connects == 2) loop_.ScheduleAfter(2'000, [&] { desktop_.Destroy(dialog.window); });
  });
  Click();
  std::vector<std::string> captions;
  std::vector<int> steps_per_caption;
  for (int step = 0; step < 80 && state_.AutoConnectOn; ++step) {
    loop_.Advance(kTimer1IntervalMs);
    if (captions.empty() || captions.back() != label5_.Caption()) {
      captions.push_back(label5_.Caption());
      steps_per_caption.push_back(0);
    }
    ++steps_per_caption.back();
  }
  EXPECT_FALSE(state_.AutoConnectOn);
  EXPECT_EQ(button1_.Caption(), "OFF");
  EXPECT_EQ(label5_.Caption(), "");
  EXPECT_EQ(Clicks(dialog.child[9]).size(), 1u);
  // "" during the first step, then 残り15秒 down to 残り0秒, then a new count.
  ASSERT_GE(captions.size(), 18u);
  EXPECT_EQ(captions[1], "残り15秒");
  EXPECT_EQ(captions[16], "残り0秒");
  EXPECT_EQ(captions[17], "残り15秒");
  for (std::size_t i = 2; i < 16; ++i) {
    EXPECT_GE(steps_per_caption[i], 2) << captions[i];
    EXPECT_LE(steps_per_caption[i], 3) << captions[i];
  }
}

}  // namespace
}  // namespace tamiru::game
