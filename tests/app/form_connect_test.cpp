// Auto-connect and keep-alive on the main window: the buttons and Timer1
// reach their steps through the window's own events, and the window's
// members are the state that every handler shares.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/event_loop.h"
#include "tests/app/form_fixture.h"

namespace tamiru::app {
namespace {

using platform::fake::RecordedMessage;
using testing_support::FormTest;
namespace msg = platform::msg;

class FormConnectTest : public FormTest {
 protected:
  std::size_t Presses(platform::WindowHandle button) { return desktop.CountOf(button, msg::kButtonClick); }
  std::int32_t NowSeconds() { return platform::SecondsSinceStart(loop.TickCount()); }

  // A waiting room with one table in play; the client opens the table
  // window `delay_ms` after each press of its spectate button.
  platform::fake::WaitingRoomWindows RoomWithTableInPlay(std::uint32_t delay_ms) {
    auto room = desktop.CreateWaitingRoom();
    desktop.SetItems(room.room_selector, {"一般"});
    desktop.SetSelection(room.room_selector, 0);
    desktop.SetItems(room.table_list, {"1卓 待機中", "2卓 プレイ中"});
    desktop.OnMessage(room.spectate_button, msg::kButtonClick, [this, delay_ms](const RecordedMessage&) {
      loop.ScheduleAfter(delay_ms, [this] { desktop.CreateGameMainWindow(); });
    });
    return room;
  }
  // Position of the first message to `window` (of `message`, 0: any) in the
  // desktop's record; -1 when there is none.
  int FirstIndexOf(platform::WindowHandle window, unsigned message = 0) {
    const auto& all = desktop.Messages();
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (all[i].window == window && (message == 0 || all[i].message == message)) return static_cast<int>(i);
    }
    return -1;
  }
};

// ---- Auto-connect ----

TEST_F(FormConnectTest, SwitchOnWithoutClientStartsItFromTheScoreFilesFolderAndTheFirstStepSwitchesOff) {
  Start();
  form->Settings.File4 = "C:\\Program Files\\MjTonpu\\mjscore.txt";
  EXPECT_EQ(form->Timer1->Interval(), 450u);
  EXPECT_FALSE(form->Timer1->IsEnabled());

  // WinExec holds the loop while the client starts: the switch must already
  // read, and be painted, "ON".
  std::string caption_while_starting, painted_while_starting;
  shell.while_starting = [&] {
    caption_while_starting = form->Button1->Caption();
    painted_while_starting = host.Find<platform::fake::FakeButton>("Button1")->PaintedCaption();
  };
  ASSERT_TRUE(host.Click("Button1"));
  EXPECT_EQ(shell.commands, std::vector<std::string>{"C:\\Program Files\\MjTonpu\\MJ.exe"});
  EXPECT_EQ(caption_while_starting, "ON");
  EXPECT_EQ(painted_while_starting, "ON");
  EXPECT_EQ(form->AutoConnect.AutoConnectOn, 1);
  EXPECT_EQ(form->Button1->Caption(), "ON");
  EXPECT_TRUE(form->Timer1->IsEnabled());

  // The client did not come up: the first tick finds no connect dialog.
  loop.Advance(450);
  EXPECT_EQ(form->AutoConnect.AutoConnectOn, 0);
  EXPECT_EQ(form->Button1->Caption(), "OFF");
  EXPECT_FALSE(form->Timer1->IsEnabled());
  EXPECT_EQ(form->Label5->Caption(), "");
}

TEST_F(FormConnectTest, Timer1PressesConnectCountsDownAndPressesTheAttemptOutAndAgain) {
  Start("AutoConnectTimeInterval=5\r\n");
  const auto dialog = desktop.CreateConnectDialog();
  ASSERT_TRUE(host.Click("Button1"));
  EXPECT_TRUE(shell.commands.empty()) << "a client that runs is not started again";

  loop.Advance(450);
  EXPECT_EQ(Presses(dialog.child[8]), 1u);
  const std::uint32_t pressed_at = form->AutoConnect.ConnectAttemptTick;
  EXPECT_NE(pressed_at, 0u);
  EXPECT_EQ(form->Label5->Caption(), "") << "the step that presses does not count";

  loop.Advance(450);
  EXPECT_EQ(form->Label5->Caption(), "残り5秒");
  loop.Advance(10 * 450);  // the step 4 950 ms after the press
  EXPECT_EQ(form->Label5->Caption(), "残り1秒");
  EXPECT_EQ(Presses(dialog.child[9]), 0u);
  // The attempt has run out at the step 5 400 ms after its press: 9, then 8
  // again, in that order.
  loop.Advance(450);
  EXPECT_EQ(Presses(dialog.child[9]), 1u);
  EXPECT_EQ(Presses(dialog.child[8]), 2u);
  EXPECT_LT(FirstIndexOf(dialog.child[9]), static_cast<int>(desktop.Messages().size()) - 1);
  EXPECT_EQ(desktop.Messages().back().window, dialog.child[8]);
  EXPECT_EQ(form->Label5->Caption(), "残り0秒");
  EXPECT_GT(form->AutoConnect.ConnectAttemptTick, pressed_at);

  // Connected: the dialog goes, and the next step switches everything off.
  desktop.Destroy(dialog.window);
  loop.Advance(450);
  EXPECT_EQ(form->AutoConnect.AutoConnectOn, 0);
  EXPECT_EQ(form->AutoConnect.ConnectAttemptTick, 0u);
  EXPECT_EQ(form->Label5->Caption(), "");
  EXPECT_EQ(form->Button1->Caption(), "OFF");
  EXPECT_FALSE(form->Timer1->IsEnabled());
}

TEST_F(FormConnectTest, ErrorDialogIsDismissedAndTheNextAttemptWaitsForItToGo) {
  Start();
  const auto dialog = desktop.CreateConnectDialog();
  ASSERT_TRUE(host.Click("Button1"));
  loop.Advance(450);
  ASSERT_NE(form->AutoConnect.ConnectAttemptTick, 0u);

  const auto error = desktop.CreateMessageDialog("エラー", "接続できません");
  loop.Advance(450);
  EXPECT_EQ(desktop.CountOf(error.child[0], msg::kButtonClick), 1u);
  EXPECT_EQ(form->AutoConnect.ConnectAttemptTick, 0u);
  EXPECT_EQ(Presses(dialog.child[8]), 1u) << "no attempt in the step that dismissed";
  loop.Advance(450);
  EXPECT_FALSE(desktop.Exists(error.window));
  EXPECT_EQ(Presses(dialog.child[8]), 2u);
  EXPECT_NE(form->AutoConnect.ConnectAttemptTick, 0u);
}

TEST_F(FormConnectTest, SwitchingOffStopsTheStepsAndClearsTheAttempt) {
  Start();
  const auto dialog = desktop.CreateConnectDialog();
  ASSERT_TRUE(host.Click("Button1"));
  loop.Advance(900);
  ASSERT_NE(form->AutoConnect.ConnectAttemptTick, 0u);
  ASSERT_EQ(form->Label5->Caption(), "残り15秒");

  ASSERT_TRUE(host.Click("Button1"));
  EXPECT_EQ(form->AutoConnect.AutoConnectOn, 0);
  EXPECT_EQ(form->AutoConnect.ConnectAttemptTick, 0u);
  EXPECT_EQ(form->Label5->Caption(), "");
  EXPECT_EQ(form->Button1->Caption(), "OFF");
  loop.Advance(30'000);
  EXPECT_EQ(Presses(dialog.child[8]), 1u);
  EXPECT_EQ(Presses(dialog.child[9]), 0u);
}

// ---- Keep-alive ----

TEST_F(FormConnectTest, Button2TogglesTheSavedSwitchAndTimer2FollowsAllThreeSwitches) {
  Start("AutoWatch=0\r\nSaveChatLog=0\r\nKeyword=0\r\n");
  ASSERT_FALSE(form->Timer2->IsEnabled());
  ASSERT_TRUE(host.Click("Button2"));
  EXPECT_EQ(form->Settings.AutoWatch, 1);
  EXPECT_EQ(form->Button2->Caption(), "ON");
  EXPECT_TRUE(form->Timer2->IsEnabled());

  form->KeepAlive.KeepAliveStartSec = 1234;
  form->Label6->SetCaption("残り3分");
  ASSERT_TRUE(host.Click("Button2"));
  EXPECT_EQ(form->Settings.AutoWatch, 0);
  EXPECT_EQ(form->Button2->Caption(), "OFF");
  EXPECT_EQ(form->KeepAlive.KeepAliveStartSec, 0);
  EXPECT_EQ(form->Label6->Caption(), "");
  EXPECT_FALSE(form->Timer2->IsEnabled());

  // The chat log still needs Timer2 when the keep-alive goes off.
  form->Settings.SaveChatLog = 1;
  ASSERT_TRUE(host.Click("Button2"));
  ASSERT_TRUE(host.Click("Button2"));
  EXPECT_TRUE(form->Timer2->IsEnabled());
  // The chat log off too: Timer2 stops, and its label empties with it.
  form->Label6->SetCaption("残り1分");
  ASSERT_TRUE(host.Click("Button3"));
  EXPECT_FALSE(form->Timer2->IsEnabled());
  EXPECT_EQ(form->Label6->Caption(), "");
}

TEST_F(FormConnectTest, Button17SpectatesSendsF4AndRestartsTheInterval) {
  Start("SaveChatLog=0\r\n");
  const auto room = RoomWithTableInPlay(1200);
  ASSERT_TRUE(host.Click("Button17"));
  EXPECT_EQ(desktop.MessagesTo(room.table_list, msg::kListSetCurSel).at(0).wparam, 1u);
  EXPECT_EQ(Presses(room.spectate_button), 1u);
  const auto table = desktop.FindWindow("KatuGameMjMain", std::nullopt);
  ASSERT_NE(table, platform::kNoWindow);
  EXPECT_EQ(desktop.CountOf(table, msg::kKeyDown), 1u);
  EXPECT_EQ(desktop.CountOf(table, msg::kKeyUp), 1u);
  EXPECT_EQ(form->KeepAlive.KeepAliveStartSec, NowSeconds());
  EXPECT_FALSE(form->KeepAlive.SpectateRunning);
  EXPECT_EQ(FirstIndexOf(room.chat_view), -1) << "no capture with the chat log off";
}

TEST_F(FormConnectTest, Button17WithTheChatLogOnCapturesBeforeTheSpectate) {
  Start("SaveChatLog=1\r\n");
  const auto room = RoomWithTableInPlay(600);
  desktop.AppendLine(room.chat_view, "aaa>\tこんばんは");
  ASSERT_TRUE(host.Click("Button17"));
  const int read = FirstIndexOf(room.chat_view);
  ASSERT_NE(read, -1) << "the chat view was not read";
  EXPECT_LT(read, FirstIndexOf(room.spectate_button, msg::kButtonClick));
}

TEST_F(FormConnectTest, RefusedSpectateClearsTheConnectAttemptOfTheSameWindow) {
  Start();
  const auto room = desktop.CreateWaitingRoom();
  desktop.SetItems(room.room_selector, {"一般"});
  desktop.SetSelection(room.room_selector, 0);
  desktop.SetItems(room.table_list, {"2卓 プレイ中"});
  desktop.OnMessage(room.spectate_button, msg::kButtonClick, [this](const RecordedMessage&) {
    loop.ScheduleAfter(300, [this] { desktop.CreateMessageDialog("観戦失敗", "観戦できません"); });
  });
  form->AutoConnect.ConnectAttemptTick = 777;
  ASSERT_TRUE(host.Click("Button17"));
  EXPECT_EQ(desktop.FindWindow("#32770", "観戦失敗"), platform::kNoWindow);
  EXPECT_EQ(form->AutoConnect.ConnectAttemptTick, 0u);
  EXPECT_EQ(desktop.FindWindow("KatuGameMjMain", std::nullopt), platform::kNoWindow);
}

// Timer2 keeps ticking while Button17's spectate waits for the client; with
// the interval run out each of those ticks would spectate too, unless they
// see the spectate that is already running.
TEST_F(FormConnectTest, Timer2TicksInsideAButton17SpectateStartNoSecondOne) {
  Start("AutoWatch=1\r\nAutoWatchTimeInterval=0\r\nSaveChatLogTimeInterval=1\r\n");
  const auto room = RoomWithTableInPlay(3'500);
  ASSERT_TRUE(form->Timer2->IsEnabled());
  ASSERT_TRUE(host.Click("Button17"));
  EXPECT_EQ(Presses(room.spectate_button), 1u);
  EXPECT_NE(desktop.FindWindow("KatuGameMjMain", std::nullopt), platform::kNoWindow);
  EXPECT_FALSE(form->KeepAlive.SpectateRunning);
}

// The same for a spectate that Timer2 started itself: the ticks inside its
// waits still capture the chat and sound the alert.
TEST_F(FormConnectTest, Timer2TicksInsideItsOwnSpectateCaptureAndStartNoSecondOne) {
  WriteIni("AutoWatch=1\r\nAutoWatchTimeInterval=0\r\nKeyword=1\r\nSaveChatLogTimeInterval=1\r\n");
  WriteLists({}, {}, "ron\r\n");
  Build();
  const auto room = RoomWithTableInPlay(5'000);
  desktop.AppendLine(room.chat_view, "aaa>\tこんばんは");
  std::size_t alerts_during_spectate = 0;
  desktop.OnMessage(room.spectate_button, msg::kButtonClick, [&](const RecordedMessage&) {
    loop.ScheduleAfter(1'500, [&] { desktop.AppendLine(room.chat_view, "bbb>\t ron"); });
    loop.ScheduleAfter(4'900, [&] { alerts_during_spectate = sound.played.size(); });
  });
  loop.Advance(1'000);
  EXPECT_EQ(Presses(room.spectate_button), 1u);
  EXPECT_EQ(alerts_during_spectate, 1u) << "the keyword line arrived and was checked during the spectate";
  EXPECT_NE(desktop.FindWindow("KatuGameMjMain", std::nullopt), platform::kNoWindow);
  EXPECT_FALSE(form->KeepAlive.SpectateRunning);
}

TEST_F(FormConnectTest, Timer2SpectatesWhenTheIntervalRunsOutAndShowsTheMinutesLeft) {
  Start("AutoWatch=1\r\nAutoWatchTimeInterval=1\r\nSaveChatLogTimeInterval=10\r\n");
  const auto room = RoomWithTableInPlay(500);
  loop.Advance(10'000);
  const std::int32_t started = form->KeepAlive.KeepAliveStartSec;
  EXPECT_NE(started, 0);
  EXPECT_EQ(form->Label6->Caption(), "残り1分");
  EXPECT_EQ(Presses(room.spectate_button), 0u);
  loop.Advance(60'000);
  EXPECT_EQ(Presses(room.spectate_button), 1u);
  EXPECT_GT(form->KeepAlive.KeepAliveStartSec, started);
}

}  // namespace
}  // namespace tamiru::app
