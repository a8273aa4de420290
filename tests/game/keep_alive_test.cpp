#include "game/keep_alive.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_event_loop.h"

namespace tamiru::game {
namespace {

using platform::fake::FakeDesktop;
using platform::fake::FakeEventLoop;
using platform::fake::RecordedMessage;
namespace msg = platform::msg;
using Lines = std::vector<std::string>;

class KeepAliveTest : public ::testing::Test {
 protected:
  KeepAliveTest() {
    room_ = desktop_.CreateWaitingRoom();
    desktop_.SetItems(room_.room_selector, {"一般", "上級", "特上"});
    desktop_.SetSelection(room_.room_selector, 1);
    desktop_.SetItems(room_.table_list, {"卓1 待機中", "卓2 プレイ中"});
  }

  // The client opens the table window `delay_ms` after each spectate press.
  void TableOpensAfter(std::uint32_t delay_ms) {
    desktop_.OnMessage(room_.spectate_button, msg::kButtonClick, [this, delay_ms](const RecordedMessage&) {
      loop_.ScheduleAfter(delay_ms, [this] { game_ = desktop_.CreateGameMainWindow().window; });
    });
  }
  void OnSpectatePress(std::function<void()> action) {
    desktop_.OnMessage(room_.spectate_button, msg::kButtonClick,
                       [action = std::move(action)](const RecordedMessage&) { action(); });
  }
  SpectateOutcome Spectate() { return SpectateOnce(state_, context_); }
  std::int32_t NowSeconds() { return platform::SecondsSinceStart(loop_.TickCount()); }
  std::size_t Count(platform::WindowHandle window, unsigned message) { return desktop_.CountOf(window, message); }
  std::uint32_t TickOf(platform::WindowHandle window, unsigned message) {
    const auto found = desktop_.MessagesTo(window, message);
    return found.empty() ? 0 : found.front().tick;
  }

  // What reached the client, one line per message; the layer's own
  // LB_GETTEXTLEN before each LB_GETTEXT is left out.
  Lines Trace() const {
    Lines lines;
    for (const RecordedMessage& m : desktop_.Messages()) {
      const std::string arg = " " + std::to_string(m.wparam);
      if (m.kind == RecordedMessage::Kind::kForeground) {
        lines.push_back(m.window == room_.window ? "FOREGROUND room" : "FOREGROUND table");
        continue;
      }
      switch (m.message) {
        case msg::kGetText: lines.push_back("WM_GETTEXT" + arg); break;
        case msg::kComboGetCount: lines.push_back("CB_GETCOUNT"); break;
        case msg::kComboGetCurSel: lines.push_back("CB_GETCURSEL"); break;
        case msg::kComboSetCurSel: lines.push_back("CB_SETCURSEL" + arg); break;
        case msg::kSysKeyDown: lines.push_back("WM_SYSKEYDOWN" + arg); break;
        case msg::kListGetCount: lines.push_back("LB_GETCOUNT"); break;
        case msg::kListGetText: lines.push_back("LB_GETTEXT" + arg); break;
        case msg::kListSetCurSel: lines.push_back("LB_SETCURSEL" + arg); break;
        case msg::kButtonClick: lines.push_back("BM_CLICK"); break;
        case msg::kKeyDown: lines.push_back("POST WM_KEYDOWN" + arg); break;
        case msg::kKeyUp: lines.push_back("POST WM_KEYUP" + arg); break;
        case msg::kListGetTextLen: break;
        default: lines.push_back("? " + std::to_string(m.message));
      }
    }
    return lines;
  }

  FakeEventLoop loop_{5'000'000};
  FakeDesktop desktop_{loop_};
  platform::fake::WaitingRoomWindows room_;
  platform::WindowHandle game_ = platform::kNoWindow;
  AttemptTick connect_tick_ = 0;
  KeepAliveState state_;
  SpectateContext context_{desktop_, loop_, connect_tick_};
};

// ---- SpectateOnce ----

TEST_F(KeepAliveTest, ReservationShownAndNothingMoreIsSent) {
  desktop_.SetText(room_.reservation, "予約中");
  EXPECT_EQ(Spectate(), SpectateOutcome::kNothingToDo);
  EXPECT_EQ(Trace(), (Lines{"WM_GETTEXT 100"}));
  desktop_.SetText(room_.reservation, std::string(98, ' ') + "予約");  // past the 99 bytes read
  EXPECT_FALSE(ReservationShown(desktop_, room_.window));
  desktop_.Destroy(room_.reservation);  // no child 12 counts as reserved
  EXPECT_TRUE(ReservationShown(desktop_, room_.window));
}

TEST_F(KeepAliveTest, RowInPlaySpectatedWithF4AboutTwoSecondsAfterTheClick) {
  TableOpensAfter(1'200);
  EXPECT_EQ(Spectate(), SpectateOutcome::kSpectated);
  EXPECT_EQ(Trace(), (Lines{"WM_GETTEXT 100", "CB_GETCOUNT", "CB_GETCURSEL", "LB_GETCOUNT", "LB_GETTEXT 0",
                            "LB_GETTEXT 1", "LB_SETCURSEL 1", "BM_CLICK", "FOREGROUND table",
                            "POST WM_KEYDOWN 115", "POST WM_KEYUP 115"}));
  // Look-ups at 0, 0.5 and 1.0 s miss the table, the one at 1.5 s finds it,
  // and F4 follows the pause after it.
  EXPECT_EQ(TickOf(game_, msg::kKeyDown) - TickOf(room_.spectate_button, msg::kButtonClick), 2'000u);
  EXPECT_EQ(desktop_.GetForegroundWindow(), game_);
  EXPECT_FALSE(state_.SpectateRunning);
}

TEST_F(KeepAliveTest, LastRowOfTheCurrentRoomComesBeforeOtherRooms) {
  desktop_.SetItems(room_.table_list, {"待機", "待機", "卓3 プレイ中"});
  TableOpensAfter(100);
  EXPECT_EQ(Spectate(), SpectateOutcome::kSpectated);
  EXPECT_EQ(Count(room_.room_selector, msg::kComboSetCurSel), 0u);
  EXPECT_EQ(desktop_.Selection(room_.table_list), 2);
}

TEST_F(KeepAliveTest, ThreeRoomsNothingInPlayVisitsTwoThenZero) {
  desktop_.SetItems(room_.table_list, {"待機", "空席"});
  // The room changes bring the waiting room to the front as it is: one the
  // user minimised is not shown again every interval.
  desktop_.Minimise(room_.window);
  // A longer list in the other rooms is read only as far as the first
  // room's row count.
  desktop_.OnMessage(room_.room_selector, msg::kSysKeyDown, [this](const RecordedMessage&) {
    desktop_.SetItems(room_.table_list, {"待機", "待機", "プレイ中"});
  });
  EXPECT_EQ(Spectate(), SpectateOutcome::kNoTableInPlay);
  EXPECT_EQ(Trace(), (Lines{"WM_GETTEXT 100", "CB_GETCOUNT", "CB_GETCURSEL", "LB_GETCOUNT", "LB_GETTEXT 0",
                            "LB_GETTEXT 1", "CB_SETCURSEL 2", "FOREGROUND room", "WM_SYSKEYDOWN 54",
                            "LB_GETTEXT 0", "LB_GETTEXT 1", "CB_SETCURSEL 0", "FOREGROUND room",
                            "WM_SYSKEYDOWN 54", "LB_GETTEXT 0", "LB_GETTEXT 1"}));
  EXPECT_EQ(desktop_.Selection(room_.room_selector), 0);  // the last room scanned stays
  EXPECT_TRUE(desktop_.IsMinimised(room_.window));
}

TEST_F(KeepAliveTest, NoCurrentRoomOrNoRoomsStillEndsTheScan) {
  desktop_.SetItems(room_.table_list, {"待機"});
  desktop_.SetSelection(room_.room_selector, -1);
  EXPECT_EQ(Spectate(), SpectateOutcome::kNoTableInPlay);
  Lines selects;
  for (const auto& line : Trace()) {
    if (line.rfind("CB_SETCURSEL", 0) == 0) selects.push_back(line);
  }
  EXPECT_EQ(selects, (Lines{"CB_SETCURSEL 0", "CB_SETCURSEL 1", "CB_SETCURSEL 2"}));

  desktop_.SetItems(room_.room_selector, {});
  desktop_.ClearMessages();
  EXPECT_EQ(Spectate(), SpectateOutcome::kNoTableInPlay);
  EXPECT_EQ(Count(room_.room_selector, msg::kComboSetCurSel), 0u);
}

TEST_F(KeepAliveTest, RowsLongerThan255BytesAreSearchedAsTheBufferHoldsThem) {
  desktop_.SetItems(room_.table_list, {std::string(250, 'x') + "プレイ中", "プレイ中" + std::string(1'000, 'y')});
  TableOpensAfter(100);
  EXPECT_EQ(Spectate(), SpectateOutcome::kSpectated);
  EXPECT_EQ(desktop_.Selection(room_.table_list), 1);
}

TEST_F(KeepAliveTest, RefusedSpectateIsDismissedAndTheNextRowTried) {
  desktop_.SetItems(room_.table_list, {"卓1 プレイ中", "待機", "卓3 プレイ中"});
  platform::fake::DialogWindows failure;
  OnSpectatePress([&] {
    if (failure.window == platform::kNoWindow) {
      loop_.ScheduleAfter(300, [&] { failure = desktop_.CreateMessageDialog("観戦失敗"); });
    } else {
      loop_.ScheduleAfter(1'200, [&] { game_ = desktop_.CreateGameMainWindow().window; });
    }
  });
  connect_tick_ = 12'345;
  EXPECT_EQ(Spectate(), SpectateOutcome::kSpectated);
  EXPECT_EQ(Count(failure.child[0], msg::kButtonClick), 1u);
  EXPECT_EQ(connect_tick_, 0u);  // a dismissal clears auto-connect's attempt time
  const auto selects = desktop_.MessagesTo(room_.table_list, msg::kListSetCurSel);
  ASSERT_EQ(selects.size(), 2u);
  EXPECT_EQ(selects[1].wparam, 2u);
  EXPECT_EQ(Count(room_.table_list, msg::kListGetText), 3u);
}

TEST_F(KeepAliveTest, ClientThatNeverAnswersIsGivenUpAtTheBounds) {
  EXPECT_EQ(Spectate(), SpectateOutcome::kGaveUp);  // neither table nor dialog
  const std::uint32_t waited = loop_.TickCount() - TickOf(room_.spectate_button, msg::kButtonClick);
  EXPECT_GE(waited, kOutcomeBoundMs);
  EXPECT_LE(waited, kOutcomeBoundMs + kOutcomePollMs);
  EXPECT_EQ(Count(room_.room_selector, msg::kComboSetCurSel), 0u);  // nothing more is tried

  desktop_.ClearReactions(room_.spectate_button);
  platform::fake::DialogWindows failure;
  OnSpectatePress([&] { failure = desktop_.CreateMessageDialog("観戦失敗", "", /*behaviours=*/false); });
  const std::uint32_t start = loop_.TickCount();
  EXPECT_EQ(Spectate(), SpectateOutcome::kGaveUp);  // the dialog stays up
  EXPECT_EQ(Count(failure.child[0], msg::kButtonClick), 1u);
  EXPECT_LE(loop_.TickCount() - start, kFailureDialogBoundMs + 2 * kOutcomePollMs);
  EXPECT_FALSE(state_.SpectateRunning);
}

TEST_F(KeepAliveTest, ClientClosedMidwayEndsTheSpectateQuietly) {
  OnSpectatePress([&] { loop_.ScheduleAfter(700, [&] { desktop_.Destroy(room_.window); }); });
  const std::uint32_t start = loop_.TickCount();
  EXPECT_EQ(Spectate(), SpectateOutcome::kClientGone);
  EXPECT_LT(loop_.TickCount() - start, 2'000u);

  room_ = desktop_.CreateWaitingRoom();  // killed during the room scan
  desktop_.SetItems(room_.room_selector, {"一般", "上級"});
  desktop_.OnMessage(room_.room_selector, msg::kSysKeyDown,
                     [&](const RecordedMessage&) { desktop_.Destroy(room_.window); });
  EXPECT_EQ(Spectate(), SpectateOutcome::kClientGone);

  room_ = desktop_.CreateWaitingRoom();  // the table closes before F4
  desktop_.SetItems(room_.table_list, {"プレイ中"});
  OnSpectatePress([&] {
    loop_.ScheduleAfter(1'200, [&] { game_ = desktop_.CreateGameMainWindow().window; });
    loop_.ScheduleAfter(1'700, [&] { desktop_.Destroy(game_); });
  });
  EXPECT_EQ(Spectate(), SpectateOutcome::kClientGone);
  EXPECT_TRUE(desktop_.MessagesTo(game_).empty());

  // Killed and started again within a poll: the new client's room and the
  // user's own table there are not this spectate's; F4 would leave that table.
  room_ = desktop_.CreateWaitingRoom();
  desktop_.SetItems(room_.table_list, {"プレイ中"});
  OnSpectatePress([&] {
    loop_.ScheduleAfter(300, [&] {
      desktop_.Destroy(room_.window);
      desktop_.CreateWaitingRoom();
      game_ = desktop_.CreateGameMainWindow().window;
    });
  });
  EXPECT_EQ(Spectate(), SpectateOutcome::kClientGone);
  EXPECT_TRUE(desktop_.MessagesTo(game_).empty());
}

TEST_F(KeepAliveTest, NothingNestedInTheWaitStartsASecondSpectate) {
  TableOpensAfter(1'200);
  const Timer2Settings run_out{1, 0, 0, 0};  // a Timer2 tick would spectate at once
  state_.KeepAliveStartSec = 4'000;
  SpectateOutcome nested{};
  std::optional<KeepAliveCountdown> nested_tick;
  OnSpectatePress([&] {
    loop_.ScheduleAfter(600, [&] {
      nested = SpectateOnce(state_, context_);
      nested_tick = CountDownKeepAlive(run_out, state_, desktop_, NowSeconds());
    });
  });
  EXPECT_EQ(Spectate(), SpectateOutcome::kSpectated);
  EXPECT_EQ(nested, SpectateOutcome::kAlreadyRunning);
  EXPECT_EQ(Count(room_.spectate_button, msg::kButtonClick), 1u);
  ASSERT_TRUE(nested_tick);
  EXPECT_FALSE(nested_tick->spectate_due);
  EXPECT_FALSE(nested_tick->Label6) << "the running spectate owns the interval and the label";
  EXPECT_EQ(state_.KeepAliveStartSec, 4'000);
  EXPECT_FALSE(state_.SpectateRunning);
}

// ---- The keep-alive step of a Timer2 tick ----

class Timer2Test : public KeepAliveTest {
 protected:
  KeepAliveCountdown Tick() { return CountDownKeepAlive(settings_, state_, desktop_, now_); }
  void SetRemaining(long long seconds) {  // of the running interval
    now_ = static_cast<std::int32_t>(state_.KeepAliveStartSec + settings_.AutoWatchTimeInterval * 60LL - seconds);
  }
  Timer2Settings settings_{1, 15, 0, 0};
  std::int32_t now_ = 5'000;
};

TEST_F(Timer2Test, MinutesRoundedUpThenTheSpectateIsDue) {
  EXPECT_EQ(*Tick().Label6, "残り15分");
  EXPECT_EQ(state_.KeepAliveStartSec, 5'000);
  for (auto [remaining, caption] : {std::pair{899, "残り15分"}, {841, "残り15分"}, {840, "残り14分"}, {1, "残り1分"}}) {
    SetRemaining(remaining);
    const KeepAliveCountdown tick = Tick();
    EXPECT_EQ(*tick.Label6, caption) << remaining;
    EXPECT_FALSE(tick.spectate_due) << remaining;
  }
  SetRemaining(0);
  const KeepAliveCountdown due = Tick();
  EXPECT_EQ(*due.Label6, "残り0分");
  EXPECT_TRUE(due.spectate_due);
}

TEST_F(Timer2Test, AtATableOffOrNoWaitingRoomClearsTheInterval) {
  for (int variant = 0; variant < 3; ++variant) {
    if (variant == 0) game_ = desktop_.CreateGameMainWindow().window;
    if (variant == 1) settings_.AutoWatch = 0;
    if (variant == 2) desktop_.Destroy(room_.window);
    state_.KeepAliveStartSec = 4'000;
    const KeepAliveCountdown tick = Tick();
    EXPECT_EQ(state_.KeepAliveStartSec, 0) << variant;
    EXPECT_EQ(tick.Label6, std::string()) << variant;
    EXPECT_FALSE(tick.spectate_due) << variant;
  }
}

// The seconds count is GetTickCount() read as signed: after 24.8 days of
// uptime it jumps from +2147483 to -2147483. An interval that started just
// before then would otherwise wait about 49.7 days.
TEST_F(Timer2Test, AnIntervalAcrossTheSecondsSignChangeStartsAgain) {
  state_.KeepAliveStartSec = platform::SecondsSinceStart(0x7FFF'FC18);  // 1 s before the change
  now_ = platform::SecondsSinceStart(0x8000'0FA0);                     // 4 s after it
  ASSERT_LT(now_, 0);
  const KeepAliveCountdown tick = Tick();
  EXPECT_EQ(state_.KeepAliveStartSec, now_);
  EXPECT_EQ(*tick.Label6, "残り15分");
  EXPECT_FALSE(tick.spectate_due);
  SetRemaining(0);
  EXPECT_TRUE(Tick().spectate_due) << "counts on normally from the new start";
}

TEST_F(Timer2Test, CaptureIsDueWhenLogKeywordOrFriendNoticeIsOnAndAClientWindowIsOpen) {
  EXPECT_FALSE(ChatCaptureDue({1, 15, 0, 0}, desktop_));
  for (int log = 0; log <= 1; ++log) {
    for (int keyword = 0; keyword <= 1; ++keyword) {
      for (int friends = 0; friends <= 1; ++friends) {
        EXPECT_EQ(ChatCaptureDue({0, 15, log, keyword, friends}, desktop_), log + keyword + friends > 0)
            << log << keyword << friends;
      }
    }
  }
  EXPECT_FALSE(ChatCaptureDue({0, 15, 2, 2, 2}, desktop_)) << "only 1 counts as on";
  desktop_.Destroy(room_.window);
  EXPECT_FALSE(ChatCaptureDue({0, 15, 1, 1}, desktop_));
  desktop_.CreateGameMainWindow();
  EXPECT_TRUE(ChatCaptureDue({0, 15, 1, 1}, desktop_));
}

TEST(Timer2Rule, RunsWhileAnyOfTheFourSwitchesIsOne) {
  for (const auto& [auto_watch, log, keyword, friends, runs] : std::vector<std::tuple<int, int, int, int, bool>>{
           {0, 0, 0, 0, false}, {1, 0, 0, 0, true}, {0, 1, 0, 0, true}, {0, 0, 1, 0, true}, {0, 0, 0, 1, true},
           {2, 2, 2, 2, false}, {-1, 0, 0, 0, false}}) {
    EXPECT_EQ(Timer2Runs(auto_watch, log, keyword, friends), runs) << auto_watch << log << keyword << friends;
  }
}

TEST_F(KeepAliveTest, SpectateThenTheIntervalStartsAgainFromItsEnd) {
  TableOpensAfter(1'200);
  state_.KeepAliveStartSec = 1;
  SpectateAndRestartInterval(state_, context_);
  EXPECT_EQ(Count(room_.spectate_button, msg::kButtonClick), 1u);
  EXPECT_EQ(state_.KeepAliveStartSec, NowSeconds());
}

}  // namespace
}  // namespace tamiru::game
