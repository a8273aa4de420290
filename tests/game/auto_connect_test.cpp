#include "game/auto_connect.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_event_loop.h"

namespace tamiru::game {
namespace {

using platform::fake::FakeButton;
using platform::fake::FakeDesktop;
using platform::fake::FakeEventLoop;
namespace msg = platform::msg;

class RecordingShell : public platform::Shell {
 public:
  void ShellExecute(platform::WindowHandle, std::optional<std::string>, const std::string&,
                    std::optional<std::string>, int) override {}
  void WinExec(const std::string& command_line, int show) override { runs.push_back({command_line, show}); }
  std::string ExecutablePath() override { return {}; }
  std::vector<std::pair<std::string, int>> runs;
};

TEST(ClientCommandLine, FolderRule) {
  EXPECT_EQ(ClientCommandLine("C:\\Program Files\\MjTonpu\\mjscore.txt"), "C:\\Program Files\\MjTonpu\\MJ.exe");
  EXPECT_EQ(ClientCommandLine("C:\\mjscore.txt"), "C:\\\\MJ.exe");  // a drive root keeps its "\"
  EXPECT_EQ(ClientCommandLine("C:mjscore.txt"), "C:\\MJ.exe");
  EXPECT_EQ(ClientCommandLine("mjscore.txt"), "\\MJ.exe");
  EXPECT_EQ(ClientCommandLine("C:\\games\\\\mjscore.txt"), "C:\\games\\\\\\MJ.exe");
  // "表" is 0x95 0x5C: its second byte is no folder break.
  EXPECT_EQ(ClientCommandLine("C:\\表\\mjscore.txt"), "C:\\表\\MJ.exe");
}

class AutoConnectTest : public ::testing::Test {
 protected:
  AutoConnectTest() : timer1_(loop_.CreateTimer()) {
    timer1_->SetInterval(kTimer1IntervalMs);
    timer1_->SetHandler([this] { Step(); });
  }
  void Click() { Show(Button1Click(state_, file4_, desktop_, shell_, [] {})); }
  void Step() { Show(Timer1Timer(state_, 15, desktop_, loop_)); }
  // The view on stand-ins for Button1, Timer1 and Label5.
  void Show(const AutoConnectView& view) {
    button1_.SetCaption(view.on ? "ON" : "OFF");
    timer1_->SetEnabled(view.on);
    if (view.Label5) label5_.SetCaption(*view.Label5);
  }
  std::size_t Presses(platform::WindowHandle button) { return desktop_.CountOf(button, msg::kButtonClick); }

  FakeEventLoop loop_{5'000'000};
  FakeDesktop desktop_{loop_};
  RecordingShell shell_;
  std::unique_ptr<platform::Timer> timer1_;
  FakeButton button1_, label5_;
  AutoConnectState state_;
  std::string file4_ = "C:\\Program Files\\MjTonpu\\mjscore.txt";
};

TEST_F(AutoConnectTest, SwitchingOnStartsTheClientOnlyWhenNoneOfItsWindowsExists) {
  Click();
  EXPECT_EQ(shell_.runs, (decltype(shell_.runs){{"C:\\Program Files\\MjTonpu\\MJ.exe", platform::kSwShow}}));
  EXPECT_EQ(button1_.Caption(), "ON");
  EXPECT_TRUE(timer1_->IsEnabled());
  Click();
  desktop_.CreateWaitingRoom();
  Click();
  EXPECT_EQ(shell_.runs.size(), 1u);
  EXPECT_TRUE(timer1_->IsEnabled());
  // Already connected: the first step switches off again.
  loop_.Advance(kTimer1IntervalMs);
  EXPECT_FALSE(state_.AutoConnectOn);
  EXPECT_EQ(button1_.Caption(), "OFF");
}

TEST_F(AutoConnectTest, CommandLineOver255BytesIsNotRun) {
  const std::string folder = "C:\\" + std::string(255 - 3 - 7, 'a');  // + "\MJ.exe" = 255 bytes
  file4_ = folder + "\\mjscore.txt";
  Click();
  ASSERT_EQ(shell_.runs.size(), 1u);
  EXPECT_EQ(shell_.runs[0].first.size(), 255u);
  Click();
  file4_ = folder + "b\\mjscore.txt";
  Click();
  EXPECT_EQ(shell_.runs.size(), 1u);
  EXPECT_TRUE(timer1_->IsEnabled());
}

TEST_F(AutoConnectTest, FirstStepPressesConnectAndLeavesTheLabel) {
  const auto dialog = desktop_.CreateConnectDialog();
  label5_.SetCaption("untouched");
  Step();
  ASSERT_EQ(Presses(dialog.child[8]), 1u);
  EXPECT_EQ(desktop_.Messages()[0].kind, platform::fake::RecordedMessage::Kind::kPosted);
  EXPECT_EQ(Presses(dialog.child[9]), 0u);
  EXPECT_EQ(state_.ConnectAttemptTick, loop_.TickCount());
  EXPECT_EQ(label5_.Caption(), "untouched");
}

TEST_F(AutoConnectTest, CountdownEdges) {
  const auto dialog = desktop_.CreateConnectDialog();
  const std::uint32_t pressed = loop_.TickCount();
  state_.ConnectAttemptTick = pressed;
  loop_.SetTick(pressed + 14'999);
  Step();
  EXPECT_EQ(label5_.Caption(), "残り1秒");
  EXPECT_TRUE(desktop_.Messages().empty());

  loop_.SetTick(pressed + 15'000);
  Step();
  EXPECT_EQ(label5_.Caption(), "残り0秒");
  const auto& record = desktop_.Messages();  // child 9, then child 8
  ASSERT_EQ(record.size(), 2u);
  EXPECT_EQ(record[0].window, dialog.child[9]);
  EXPECT_EQ(record[1].window, dialog.child[8]);
  EXPECT_EQ(state_.ConnectAttemptTick, pressed + 15'000);

  // A press 1 s before the 32-bit tick count wrapped, a step 5 s after it.
  state_.ConnectAttemptTick = 0xFFFF'FC18;
  loop_.SetTick(4'000);
  Step();
  EXPECT_EQ(label5_.Caption(), "残り10秒");
}

TEST_F(AutoConnectTest, ErrorDialogIsDismissedAndTheNextAttemptWaitsAStep) {
  const auto connect = desktop_.CreateConnectDialog();
  const auto error = desktop_.CreateMessageDialog("エラー");
  state_.ConnectAttemptTick = loop_.TickCount() - 3'000;
  Step();
  EXPECT_EQ(Presses(error.child[0]), 1u);
  EXPECT_EQ(state_.ConnectAttemptTick, 0u);
  EXPECT_EQ(Presses(connect.child[8]), 0u);
  loop_.Advance(kTimer1IntervalMs);  // the posted press closes the dialog
  ASSERT_FALSE(desktop_.Exists(error.window));
  Step();
  EXPECT_EQ(Presses(connect.child[8]), 1u);
}

TEST_F(AutoConnectTest, GoneDialogSwitchesOffLikeButton1) {
  const auto dialog = desktop_.CreateConnectDialog();
  Click();
  loop_.Advance(kTimer1IntervalMs * 3);
  ASSERT_NE(label5_.Caption(), "");
  desktop_.Destroy(dialog.window);
  loop_.Advance(kTimer1IntervalMs);
  EXPECT_FALSE(timer1_->IsEnabled());
  EXPECT_EQ(label5_.Caption(), "");
  EXPECT_EQ(button1_.Caption(), "OFF");
  EXPECT_EQ(state_.ConnectAttemptTick, 0u);
  EXPECT_FALSE(state_.AutoConnectOn);
  Click();
  EXPECT_TRUE(state_.AutoConnectOn && timer1_->IsEnabled());
  state_.ConnectAttemptTick = 1;
  Click();
  EXPECT_EQ(state_.ConnectAttemptTick, 0u);
  EXPECT_FALSE(timer1_->IsEnabled());
}

TEST_F(AutoConnectTest, CountdownChangesOnceASecond) {
  const auto dialog = desktop_.CreateConnectDialog();
  Click();
  std::vector<std::pair<std::string, int>> shown;  // caption, steps it stayed
  for (int step = 0; step < 40; ++step) {
    loop_.Advance(kTimer1IntervalMs);
    if (shown.empty() || shown.back().first != label5_.Caption()) shown.push_back({label5_.Caption(), 0});
    ++shown.back().second;
  }
  ASSERT_GE(shown.size(), 18u);
  EXPECT_EQ(shown[1].first, "残り15秒");
  EXPECT_EQ(shown[16].first, "残り0秒");
  EXPECT_EQ(shown[17].first, "残り15秒");
  for (std::size_t i = 1; i < 16; ++i) EXPECT_TRUE(shown[i].second == 2 || shown[i].second == 3) << i;
  EXPECT_EQ(Presses(dialog.child[9]), 1u);
  EXPECT_EQ(Presses(dialog.child[8]), 2u);
}

}  // namespace
}  // namespace tamiru::game
