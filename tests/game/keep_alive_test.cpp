#include "game/keep_alive.h"

#include <gtest/gtest.h>

#include <algorithm>
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
using platform::fake::RecordedMessage;
namespace msg = platform::msg;

// The fields of the settings record that the keep-alive reads.
struct SettingsLike {
  std::int32_t AutoWatch = 1;
  std::int32_t AutoWatchTimeInterval = 15;
  std::int32_t SaveChatLog = 0;
  std::int32_t Keyword = 0;
};

class KeepAliveTest : public ::testing::Test {
 protected:
  KeepAliveTest() {
    room_ = desktop_.CreateWaitingRoom();
    desktop_.SetItems(room_.room_selector, {"一般", "上級", "特上"});
    desktop_.SetSelection(room_.room_selector, 1);
    desktop_.SetItems(room_.table_list, {"卓1 待機中", "卓2 プレイ中"});
  }

  // The client opens the table window `delay_ms` after the spectate press.
  void TableOpensAfter(std::uint32_t delay_ms) {
    desktop_.OnMessage(room_.spectate_button, msg::kButtonClick, [this, delay_ms](const RecordedMessage&) {
      loop_.ScheduleAfter(delay_ms, [this] { game_ = desktop_.CreateGameMainWindow().window; });
    });
  }

  SpectateOutcome Spectate() { return SpectateOnce(state_, context_); }

  // What was sent or posted to the client, one line per message, the layer's
  // own LB_GETTEXTLEN left out.
  std::vector<std::string> Trace() const {
    std::vector<std::string> lines;
    for (const RecordedMessage& m : desktop_.Messages()) {
      const std::string arg = std::to_string(m.wparam);
      const bool to_room = m.window == room_.window;
      if (m.kind == RecordedMessage::Kind::kForeground) {
        lines.push_back(to_room ? "FOREGROUND room" : m.window == game_ ? "FOREGROUND table" : "FOREGROUND ?");
        continue;
      }
      switch (m.message) {
        case msg::kGetText: lines.push_back("WM_GETTEXT " + arg); break;
        case msg::kComboGetCount: lines.push_back("CB_GETCOUNT"); break;
        case msg::kComboGetCurSel: lines.push_back("CB_GETCURSEL"); break;
        case msg::kComboSetCurSel: lines.push_back("CB_SETCURSEL " + arg); break;
        case msg::kSysKeyDown: lines.push_back("WM_SYSKEYDOWN " + arg); break;
        case msg::kListGetCount: lines.push_back("LB_GETCOUNT"); break;
        case msg::kListGetText: lines.push_back("LB_GETTEXT " + arg); break;
        case msg::kListSetCurSel: lines.push_back("LB_SETCURSEL " + arg); break;
        case msg::kButtonClick:
          lines.push_back(m.window == room_.spectate_button ? "BM_CLICK spectate" : "BM_CLICK other");
          break;
        case msg::kKeyDown: lines.push_back("POST WM_KEYDOWN " + arg); break;
        case msg::kKeyUp: lines.push_back("POST WM_KEYUP " + arg); break;
        case msg::kListGetTextLen: break;
        default: lines.push_back("? " + std::to_string(m.message));
      }
    }
    return lines;
  }

  std::uint32_t TickOf(unsigned message, platform::WindowHandle window) const {
    const auto found = desktop_.MessagesTo(window, message);
    return found.empty() ? 0 : found.front().tick;
  }

  FakeEventLoop loop_{5'000'000};
  FakeDesktop desktop_{loop_};
  platform::fake::WaitingRoomWindows room_;
  platform::WindowHandle game_ = platform::kNoWindow;
  AttemptTick connect_tick_ = 0;
  KeepAliveState state_;
  SpectateContext context_{desktop_, loop_, connect_tick_};
};

using Lines = std::vector<std::string>;

// ---- ReservationShown and the early returns ----

TEST_F(KeepAliveTest, ReservationIndicator) {
  desktop_.SetText(room_.reservation, "予約中");
  EXPECT_TRUE(ReservationShown(desktop_, room_.window));
  desktop_.SetText(room_.reservation, "観戦できます");
  EXPECT_FALSE(ReservationShown(desktop_, room_.window));
  // Only 99 bytes are read: a "予約" after them is not seen.
  desktop_.SetText(room_.reservation, std::string(98, ' ') + "予約");
  EXPECT_FALSE(ReservationShown(desktop_, room_.window));
  // A window without child 12 counts as reserved.
  const auto bare = desktop_.CreateTopLevel("#32770", "待合室");
  for (int n = 0; n < 12; ++n) desktop_.CreateChild(bare, platform::fake::ControlKind::kStatic);
  EXPECT_TRUE(ReservationShown(desktop_, bare));
}

TEST_F(KeepAliveTest, ReservationShownMeansNothingMoreIsSent) {
  desktop_.SetText(room_.reservation, "予約あり");
  EXPECT_EQ(Spectate(), SpectateOutcome::kNothingToDo);
  EXPECT_EQ(Trace(), (Lines{"WM_GETTEXT 100"}));
}

TEST_F(KeepAliveTest, NoWaitingRoomDoesNothing) {
  desktop_.Destroy(room_.window);
  EXPECT_EQ(Spectate(), SpectateOutcome::kNothingToDo);
  EXPECT_TRUE(desktop_.Messages().empty());
  EXPECT_FALSE(state_.SpectateRunning);
}

// ---- The scan ----

TEST_F(KeepAliveTest, SecondRowInPlayIsSpectatedWithTheExactSequence) {
  TableOpensAfter(1'200);
  EXPECT_EQ(Spectate(), SpectateOutcome::kSpectated);
  EXPECT_EQ(Trace(), (Lines{"WM_GETTEXT 100", "CB_GETCOUNT", "CB_GETCURSEL", "LB_GETCOUNT", "LB_GETTEXT 0",
                            "LB_GETTEXT 1", "LB_SETCURSEL 1", "BM_CLICK spectate", "FOREGROUND table",
                            "POST WM_KEYDOWN 115", "POST WM_KEYUP 115"}));
  EXPECT_EQ(desktop_.Selection(room_.table_list), 1);
  EXPECT_EQ(desktop_.GetForegroundWindow(), game_);
  const auto posts = desktop_.MessagesTo(game_);
  ASSERT_EQ(posts.size(), 3u);
  EXPECT_EQ(posts[1].kind, RecordedMessage::Kind::kPosted);
  EXPECT_EQ(posts[2].kind, RecordedMessage::Kind::kPosted);
  EXPECT_EQ(posts[1].lparam, 0);
  EXPECT_FALSE(state_.SpectateRunning);
}

TEST_F(KeepAliveTest, F4FollowsTheLookUpThatFindsTheTablePlusOnePause) {
  // Look-ups at 0, 0.5, 1.0 s miss a table opened at 1.2 s; the one at 1.5 s
  // finds it and F4 goes after the pause that follows, at 2.0 s.
  TableOpensAfter(1'200);
  Spectate();
  const std::uint32_t click = TickOf(msg::kButtonClick, room_.spectate_button);
  EXPECT_EQ(TickOf(msg::kKeyDown, game_) - click, 2'000u);
  EXPECT_EQ(TickOf(msg::kKeyUp, game_) - click, 2'000u);
}

TEST_F(KeepAliveTest, FastTableStillWaitsOnePause) {
  // Opened at 0.4 s, found by the look-up at 0.5 s, F4 at 1.0 s.
  TableOpensAfter(400);
  Spectate();
  EXPECT_EQ(TickOf(msg::kKeyDown, game_) - TickOf(msg::kButtonClick, room_.spectate_button), 1'000u);
}

TEST_F(KeepAliveTest, LastRowOfTheCurrentRoomBeforeAnyOtherRoom) {
  desktop_.SetItems(room_.table_list, {"待機", "待機", "卓3 プレイ中"});
  TableOpensAfter(100);
  EXPECT_EQ(Spectate(), SpectateOutcome::kSpectated);
  const Lines trace = Trace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "CB_SETCURSEL 0") +
                std::count(trace.begin(), trace.end(), "CB_SETCURSEL 2"),
            0);
  EXPECT_EQ(desktop_.Selection(room_.table_list), 2);
  EXPECT_EQ(desktop_.Selection(room_.room_selector), 1);
}

TEST_F(KeepAliveTest, ThreeRoomsNothingInPlayVisitsTwoAndZeroAndStops) {
  desktop_.SetItems(room_.table_list, {"待機", "空席"});
  // Another room's list is longer, but the count of the first room is used
  // for every room, so row 2 is never read.
  desktop_.OnMessage(room_.room_selector, msg::kSysKeyDown, [this](const RecordedMessage&) {
    desktop_.SetItems(room_.table_list, {"待機", "待機", "プレイ中"});
  });
  EXPECT_EQ(Spectate(), SpectateOutcome::kNoTableInPlay);
  EXPECT_EQ(Trace(), (Lines{"WM_GETTEXT 100", "CB_GETCOUNT", "CB_GETCURSEL", "LB_GETCOUNT", "LB_GETTEXT 0",
                            "LB_GETTEXT 1", "CB_SETCURSEL 2", "FOREGROUND room", "WM_SYSKEYDOWN 54",
                            "LB_GETTEXT 0", "LB_GETTEXT 1", "CB_SETCURSEL 0", "FOREGROUND room",
                            "WM_SYSKEYDOWN 54", "LB_GETTEXT 0", "LB_GETTEXT 1"}));
  // The last room scanned stays selected.
  EXPECT_EQ(desktop_.Selection(room_.room_selector), 0);
  EXPECT_EQ(desktop_.CountOf(room_.spectate_button, msg::kButtonClick), 0u);
}

TEST_F(KeepAliveTest, TableInTheNextRoomIsFound) {
  desktop_.SetItems(room_.table_list, {"待機", "待機"});
  desktop_.OnMessage(room_.room_selector, msg::kComboSetCurSel, [this](const RecordedMessage& m) {
    if (m.wparam == 2) desktop_.SetItems(room_.table_list, {"卓9 プレイ中", "待機"});
  });
  TableOpensAfter(700);
  EXPECT_EQ(Spectate(), SpectateOutcome::kSpectated);
  EXPECT_EQ(desktop_.Selection(room_.room_selector), 2);
  EXPECT_EQ(desktop_.Selection(room_.table_list), 0);
}

TEST_F(KeepAliveTest, NoCurrentRoomStillVisitsEveryRoomOnce) {
  desktop_.SetItems(room_.table_list, {"待機"});
  desktop_.SetSelection(room_.room_selector, -1);
  EXPECT_EQ(Spectate(), SpectateOutcome::kNoTableInPlay);
  const Lines trace = Trace();
  Lines selects;
  for (const auto& line : trace) {
    if (line.rfind("CB_SETCURSEL", 0) == 0) selects.push_back(line);
  }
  EXPECT_EQ(selects, (Lines{"CB_SETCURSEL 0", "CB_SETCURSEL 1", "CB_SETCURSEL 2"}));
}

TEST_F(KeepAliveTest, NoRoomsAtAllEndsAfterTheShownList) {
  desktop_.SetItems(room_.room_selector, {});
  desktop_.SetItems(room_.table_list, {"待機", "待機"});
  EXPECT_EQ(Spectate(), SpectateOutcome::kNoTableInPlay);
  EXPECT_EQ(Trace(), (Lines{"WM_GETTEXT 100", "CB_GETCOUNT", "CB_GETCURSEL", "LB_GETCOUNT", "LB_GETTEXT 0",
                            "LB_GETTEXT 1"}));
}

TEST_F(KeepAliveTest, LongRowsAreSearchedAsFarAsTheBufferHolds) {
  desktop_.SetItems(room_.table_list,
                    {std::string(250, 'x') + "プレイ中", "プレイ中" + std::string(1'000, 'y')});
  TableOpensAfter(100);
  EXPECT_EQ(Spectate(), SpectateOutcome::kSpectated);
  EXPECT_EQ(desktop_.Selection(room_.table_list), 1);
}

TEST_F(KeepAliveTest, InPlayOnlyAcrossACharacterBoundaryDoesNotMatch) {
  // A lone lead byte in front pairs with the first byte of "プレイ中", so
  // those bytes start on a trail byte and are not the word.
  const std::string in_play = "プレイ中";
  desktop_.SetItems(room_.table_list, {"\x88" + in_play, "待機"});
  desktop_.SetItems(room_.room_selector, {"一般"});
  desktop_.SetSelection(room_.room_selector, 0);
  EXPECT_EQ(Spectate(), SpectateOutcome::kNoTableInPlay);
}

// ---- The outcome of the press ----

TEST_F(KeepAliveTest, RefusedSpectateDismissesTheDialogAndTriesTheNextRow) {
  desktop_.SetItems(room_.table_list, {"卓1 プレイ中", "待機", "卓3 プレイ中"});
  int presses = 0;
  platform::fake::DialogWindows failure;
  desktop_.OnMessage(room_.spectate_button, msg::kButtonClick, [&](const RecordedMessage&) {
    if (++presses == 1) {
      loop_.ScheduleAfter(300, [&] { failure = desktop_.CreateMessageDialog("観戦失敗", "満員です"); });
    } else {
      loop_.ScheduleAfter(1'200, [&] { game_ = desktop_.CreateGameMainWindow().window; });
    }
  });
  connect_tick_ = 12'345;
  EXPECT_EQ(Spectate(), SpectateOutcome::kSpectated);
  EXPECT_EQ(desktop_.CountOf(failure.child[0], msg::kButtonClick), 1u);
  EXPECT_FALSE(desktop_.Exists(failure.window));
  EXPECT_EQ(connect_tick_, 0u);  // every dismissal clears the attempt time
  const auto selects = desktop_.MessagesTo(room_.table_list, msg::kListSetCurSel);
  ASSERT_EQ(selects.size(), 2u);
  EXPECT_EQ(selects[0].wparam, 0u);
  EXPECT_EQ(selects[1].wparam, 2u);
  // Row 1 is read after the refusal, before row 2 is chosen.
  EXPECT_EQ(desktop_.MessagesTo(room_.table_list, msg::kListGetText).size(), 3u);
}

TEST_F(KeepAliveTest, SilentClientIsGivenUpAfterTheBound) {
  // The press opens nothing and shows no dialog.
  EXPECT_EQ(Spectate(), SpectateOutcome::kGaveUp);
  const std::uint32_t waited = loop_.TickCount() - TickOf(msg::kButtonClick, room_.spectate_button);
  EXPECT_GE(waited, kOutcomeBoundMs);
  EXPECT_LE(waited, kOutcomeBoundMs + kOutcomePollMs);
  // Given up altogether: no further row or room is tried.
  EXPECT_EQ(desktop_.CountOf(room_.spectate_button, msg::kButtonClick), 1u);
  EXPECT_EQ(desktop_.CountOf(room_.room_selector, msg::kComboSetCurSel), 0u);
  EXPECT_FALSE(state_.SpectateRunning);
}

TEST_F(KeepAliveTest, FailureDialogThatStaysUpIsGivenUp) {
  platform::fake::DialogWindows failure;
  desktop_.OnMessage(room_.spectate_button, msg::kButtonClick, [&](const RecordedMessage&) {
    failure = desktop_.CreateMessageDialog("観戦失敗", "", /*behaviours=*/false);
  });
  const std::uint32_t start = loop_.TickCount();
  EXPECT_EQ(Spectate(), SpectateOutcome::kGaveUp);
  EXPECT_EQ(desktop_.CountOf(failure.child[0], msg::kButtonClick), 1u);
  EXPECT_LE(loop_.TickCount() - start, kOutcomePollMs + kFailureDialogBoundMs + kOutcomePollMs);
  EXPECT_EQ(desktop_.CountOf(room_.spectate_button, msg::kButtonClick), 1u);
}

TEST_F(KeepAliveTest, ClientClosedWhileWaitingForTheTable) {
  desktop_.OnMessage(room_.spectate_button, msg::kButtonClick, [&](const RecordedMessage&) {
    loop_.ScheduleAfter(700, [&] { desktop_.Destroy(room_.window); });
  });
  const std::uint32_t start = loop_.TickCount();
  EXPECT_EQ(Spectate(), SpectateOutcome::kClientGone);
  EXPECT_LT(loop_.TickCount() - start, 2'000u);
}

TEST_F(KeepAliveTest, ClientClosedDuringTheRoomScan) {
  desktop_.SetItems(room_.table_list, {"待機"});
  desktop_.OnMessage(room_.room_selector, msg::kSysKeyDown,
                     [&](const RecordedMessage&) { desktop_.Destroy(room_.window); });
  EXPECT_EQ(Spectate(), SpectateOutcome::kClientGone);
  EXPECT_EQ(desktop_.CountOf(room_.room_selector, msg::kComboSetCurSel), 1u);
}

TEST_F(KeepAliveTest, TableClosedBeforeF4IsNotPostedTo) {
  desktop_.OnMessage(room_.spectate_button, msg::kButtonClick, [&](const RecordedMessage&) {
    loop_.ScheduleAfter(1'200, [&] { game_ = desktop_.CreateGameMainWindow().window; });
    loop_.ScheduleAfter(1'700, [&] { desktop_.Destroy(game_); });
  });
  EXPECT_EQ(Spectate(), SpectateOutcome::kClientGone);
  EXPECT_TRUE(desktop_.MessagesTo(game_).empty());
}

// ---- Nothing nested inside a running spectate ----

TEST_F(KeepAliveTest, NestedCallsDuringTheWaitStartNoSecondSpectate) {
  TableOpensAfter(1'200);
  SettingsLike settings;
  settings.AutoWatchTimeInterval = 0;  // a nested Timer2 tick would spectate at once
  FakeButton label6;
  label6.SetCaption("残り0分");
  int captures = 0;
  state_.KeepAliveStartSec = 4'000;
  std::vector<SpectateOutcome> nested;
  std::int32_t start_after_tick = 0;
  desktop_.OnMessage(room_.spectate_button, msg::kButtonClick, [&](const RecordedMessage&) {
    loop_.ScheduleAfter(600, [&] {
      nested.push_back(SpectateOnce(state_, context_));
      Timer2Timer(settings, state_, label6, context_, [&] { ++captures; });
      start_after_tick = state_.KeepAliveStartSec;
      // Button17 during the wait: its capture runs, its spectate does not.
      Button17Click(SettingsLike{1, 15, 1, 0}, state_, context_, [&] { ++captures; });
    });
  });
  EXPECT_EQ(Spectate(), SpectateOutcome::kSpectated);
  EXPECT_EQ(nested, (std::vector<SpectateOutcome>{SpectateOutcome::kAlreadyRunning}));
  EXPECT_EQ(desktop_.CountOf(room_.spectate_button, msg::kButtonClick), 1u);
  EXPECT_EQ(desktop_.CountOf(game_, msg::kKeyDown), 1u);
  EXPECT_EQ(start_after_tick, 4'000);  // the nested tick left the interval alone
  EXPECT_EQ(label6.Caption(), "残り0分");
  EXPECT_EQ(captures, 1);
  EXPECT_FALSE(state_.SpectateRunning);
}

// ---- Timer2Timer ----

class Timer2Test : public KeepAliveTest {
 protected:
  void Tick() {
    Timer2Timer(settings_, state_, label6_, context_, [this] { events_.push_back("capture"); });
  }
  // Moves the clock so that `remaining` seconds of the interval are left.
  void SetRemaining(long long remaining) {
    const long long now_sec = state_.KeepAliveStartSec + settings_.AutoWatchTimeInterval * 60LL - remaining;
    loop_.SetTick(static_cast<std::uint32_t>(now_sec * 1000 + 500));
  }

  SettingsLike settings_;
  FakeButton label6_;
  std::vector<std::string> events_;
};

TEST_F(Timer2Test, CountdownInWholeMinutesRoundedUp) {
  Tick();
  EXPECT_EQ(state_.KeepAliveStartSec, 5'000);
  EXPECT_EQ(label6_.Caption(), "残り15分");
  SetRemaining(899);
  Tick();
  EXPECT_EQ(label6_.Caption(), "残り15分");
  SetRemaining(841);
  Tick();
  EXPECT_EQ(label6_.Caption(), "残り15分");
  SetRemaining(840);
  Tick();
  EXPECT_EQ(label6_.Caption(), "残り14分");
  SetRemaining(1);
  Tick();
  EXPECT_EQ(label6_.Caption(), "残り1分");
  EXPECT_EQ(desktop_.CountOf(room_.spectate_button, msg::kButtonClick), 0u);
}

TEST_F(Timer2Test, RunOutSpectatesAndRestartsTheIntervalAfterIt) {
  TableOpensAfter(1'200);
  Tick();
  SetRemaining(0);
  Tick();
  EXPECT_EQ(label6_.Caption(), "残り0分");
  EXPECT_EQ(desktop_.CountOf(room_.spectate_button, msg::kButtonClick), 1u);
  // The spectate took 2 s; the new interval starts when it returned.
  EXPECT_EQ(state_.KeepAliveStartSec, platform::SecondsSinceStart(loop_.TickCount()));
  EXPECT_EQ(loop_.TickCount() - TickOf(msg::kButtonClick, room_.spectate_button), 2'000u);
}

TEST_F(Timer2Test, AtATableTheIntervalStops) {
  game_ = desktop_.CreateGameMainWindow().window;
  state_.KeepAliveStartSec = 4'000;
  label6_.SetCaption("残り3分");
  Tick();
  EXPECT_EQ(state_.KeepAliveStartSec, 0);
  EXPECT_EQ(label6_.Caption(), "");
  EXPECT_TRUE(desktop_.Messages().empty());
}

TEST_F(Timer2Test, OffOrOutsideTheWaitingRoomClearsTheInterval) {
  settings_.AutoWatch = 0;
  state_.KeepAliveStartSec = 4'000;
  label6_.SetCaption("残り3分");
  Tick();
  EXPECT_EQ(state_.KeepAliveStartSec, 0);
  EXPECT_EQ(label6_.Caption(), "");

  settings_.AutoWatch = 1;
  desktop_.Destroy(room_.window);
  state_.KeepAliveStartSec = 4'000;
  label6_.SetCaption("残り3分");
  Tick();
  EXPECT_EQ(state_.KeepAliveStartSec, 0);
  EXPECT_EQ(label6_.Caption(), "");
}

TEST_F(Timer2Test, CaptureRunsFirstWhenLogOrKeywordIsOnAndAClientWindowIsOpen) {
  TableOpensAfter(1'200);
  desktop_.OnMessage(room_.spectate_button, msg::kButtonClick,
                     [this](const RecordedMessage&) { events_.push_back("spectate"); });
  settings_.SaveChatLog = 1;
  state_.KeepAliveStartSec = 1;  // long run out
  Tick();
  EXPECT_EQ(events_, (std::vector<std::string>{"capture", "spectate"}));

  events_.clear();
  settings_ = SettingsLike{0, 15, 0, 1};  // keyword alert only, at the table
  Tick();
  EXPECT_EQ(events_, (std::vector<std::string>{"capture"}));

  events_.clear();
  desktop_.Destroy(room_.window);
  desktop_.Destroy(game_);
  Tick();
  settings_ = SettingsLike{1, 15, 0, 0};
  desktop_.CreateWaitingRoom();
  Tick();
  EXPECT_TRUE(events_.empty());
}

TEST_F(Timer2Test, DrivenByTheTimerOverAWholeInterval) {
  settings_.AutoWatchTimeInterval = 1;
  TableOpensAfter(1'200);
  // The client closes the table window again 5 s after it opened.
  desktop_.OnMessage(room_.spectate_button, msg::kButtonClick, [this](const RecordedMessage&) {
    loop_.ScheduleAfter(6'200, [this] { desktop_.Destroy(game_); });
  });
  auto timer2 = loop_.CreateTimer();
  timer2->SetInterval(10'000);
  timer2->SetHandler([this] { Tick(); });
  ApplyTimer2Rule(settings_, *timer2, label6_);
  ASSERT_TRUE(timer2->IsEnabled());
  std::vector<std::string> captions;
  for (int i = 0; i < 16; ++i) {
    loop_.Advance(10'000);
    captions.push_back(label6_.Caption());
  }
  // Ticks at 10..60 s count 1 minute down; the one at 70 s finds it run out
  // and spectates; the table is gone again by 80 s and a new minute starts.
  EXPECT_EQ(desktop_.CountOf(room_.spectate_button, msg::kButtonClick), 2u);
  EXPECT_EQ(captions[0], "残り1分");
  EXPECT_EQ(captions[5], "残り1分");
  EXPECT_EQ(captions[6], "残り0分");
  EXPECT_EQ(captions[7], "残り1分");
}

// ---- Button2Click, the Timer2 rule and Button17Click ----

TEST(KeepAliveSwitch, Button2TogglesAndAppliesTheTimer2Rule) {
  FakeEventLoop loop;
  auto timer2 = loop.CreateTimer();
  FakeButton button2;
  FakeButton label6;
  KeepAliveState state;
  SettingsLike settings{0, 15, 0, 0};

  Button2Click(settings, state, button2, label6, *timer2);
  EXPECT_EQ(settings.AutoWatch, 1);
  EXPECT_EQ(button2.Caption(), "ON");
  EXPECT_TRUE(timer2->IsEnabled());

  state.KeepAliveStartSec = 123;
  label6.SetCaption("残り2分");
  Button2Click(settings, state, button2, label6, *timer2);
  EXPECT_EQ(settings.AutoWatch, 0);
  EXPECT_EQ(button2.Caption(), "OFF");
  EXPECT_EQ(label6.Caption(), "");
  EXPECT_EQ(state.KeepAliveStartSec, 0);
  EXPECT_FALSE(timer2->IsEnabled());

  // With the chat log on, Timer2 keeps running for the capture.
  settings.SaveChatLog = 1;
  Button2Click(settings, state, button2, label6, *timer2);
  Button2Click(settings, state, button2, label6, *timer2);
  EXPECT_EQ(settings.AutoWatch, 0);
  EXPECT_TRUE(timer2->IsEnabled());

  // Only the value 1 switches on.
  settings = SettingsLike{2, 15, 2, 2};
  label6.SetCaption("x");
  ApplyTimer2Rule(settings, *timer2, label6);
  EXPECT_FALSE(timer2->IsEnabled());
  EXPECT_EQ(label6.Caption(), "");
  settings.Keyword = 1;
  ApplyTimer2Rule(settings, *timer2, label6);
  EXPECT_TRUE(timer2->IsEnabled());
}

TEST_F(KeepAliveTest, Button17CapturesOnlyWithTheLogOnThenSpectatesAndRestarts) {
  std::vector<std::string> events;
  TableOpensAfter(1'200);
  desktop_.OnMessage(room_.spectate_button, msg::kButtonClick,
                     [&](const RecordedMessage&) { events.push_back("spectate"); });
  const auto capture = [&] { events.push_back("capture"); };

  Button17Click(SettingsLike{0, 15, 0, 1}, state_, context_, capture);
  EXPECT_EQ(events, (std::vector<std::string>{"spectate"}));
  EXPECT_EQ(state_.KeepAliveStartSec, platform::SecondsSinceStart(loop_.TickCount()));

  events.clear();
  desktop_.Destroy(game_);
  loop_.Advance(3'000);
  Button17Click(SettingsLike{0, 15, 1, 0}, state_, context_, capture);
  EXPECT_EQ(events, (std::vector<std::string>{"capture", "spectate"}));
  EXPECT_EQ(state_.KeepAliveStartSec, platform::SecondsSinceStart(loop_.TickCount()));

  // Nothing to spectate still restarts the interval.
  desktop_.SetText(room_.reservation, "予約");
  loop_.Advance(5'000);
  Button17Click(SettingsLike{}, state_, context_, capture);
  EXPECT_EQ(state_.KeepAliveStartSec, platform::SecondsSinceStart(loop_.TickCount()));
}

}  // namespace
}  // namespace tamiru::game
