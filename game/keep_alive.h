#pragma once
// Keep-alive spectating: while the user idles in the client's waiting room,
// spectate a table in play every AutoWatchTimeInterval minutes and send F4 to
// the table window, so that the session is not dropped. Also the one-click
// spectate (Button17) and the Timer2 event that drives chat capture too.
#include <cstdint>
#include <functional>

#include "game/discovery.h"
#include "platform/controls.h"
#include "platform/event_loop.h"
#include "platform/window_system.h"

namespace tamiru::game {

// Main-window state of the keep-alive (not saved).
struct KeepAliveState {
  // Start of the current interval in seconds (platform::SecondsSinceStart);
  // 0 = no interval running.
  std::int32_t KeepAliveStartSec = 0;
  // True while a SpectateOnce waits for the client. Timer ticks, button
  // presses and macros run nested inside those waits; none may start a
  // second spectate inside the first.
  bool SpectateRunning = false;
};

// What a SpectateOnce needs from its surroundings.
struct SpectateContext {
  platform::WindowSystem& windows;
  platform::EventLoop& loop;
  // Auto-connect's attempt time: dismissing the spectate-failure dialog
  // clears it, as every dialog dismissal does.
  AttemptTick& ConnectAttemptTick;
};

// The chat capture that Timer2 and Button17 run first (CaptureChat).
using CaptureChatFn = std::function<void()>;

enum class SpectateOutcome {
  kSpectated,       // a table window opened and F4 was posted to it
  kNothingToDo,     // no waiting room, a reservation shown, or a control missing
  kNoTableInPlay,   // every room scanned once, nothing spectated
  kGaveUp,          // the client did not answer within the bounds below
  kClientGone,      // the client's windows or controls went away meanwhile
  kAlreadyRunning,  // called inside another SpectateOnce's wait: nothing done
};

inline constexpr std::uint32_t kOutcomePollMs = 500;
// The client normally opens the table window or shows "観戦失敗" within a
// few seconds; after this long it is taken as stuck and the spectate ends.
inline constexpr std::uint32_t kOutcomeBoundMs = 30'000;
// How long a dismissed "観戦失敗" dialog may stay up before the spectate ends.
inline constexpr std::uint32_t kFailureDialogBoundMs = 10'000;
// LB_GETTEXT's buffer: a longer row is searched as far as it would hold.
inline constexpr std::size_t kRowBufferBytes = 256;
inline constexpr std::size_t kReservationBufferBytes = 100;
inline constexpr unsigned kRoomChangeKey = 0x36;

// True when child 12 of the waiting room is missing or its text (read
// through a 100-byte buffer) contains "予約".
bool ReservationShown(platform::WindowSystem& windows, WindowHandle waiting_room);

// Makes the client spectate one table in play and sends F4 to the table
// window. Waits with the message loop turning; every wait is bounded.
SpectateOutcome SpectateOnce(KeepAliveState& state, const SpectateContext& context);

// The switches that decide whether Timer2 runs, and the keep-alive interval.
struct Timer2Switches {
  std::int32_t AutoWatch = 0;
  std::int32_t SaveChatLog = 0;
  std::int32_t Keyword = 0;
};

// Timer2 runs while AutoWatch, SaveChatLog or Keyword is 1; when it stops,
// Label6 is emptied. Shared by the keep-alive, chat log and keyword switches.
void ApplyTimer2Rule(const Timer2Switches& switches, platform::Timer& Timer2, platform::Label& Label6);
template <class Settings>
void ApplyTimer2Rule(const Settings& settings, platform::Timer& Timer2, platform::Label& Label6) {
  ApplyTimer2Rule(Timer2Switches{settings.AutoWatch, settings.SaveChatLog, settings.Keyword}, Timer2, Label6);
}

// Toggles AutoWatch (Button2 "ON"/"OFF") and applies the Timer2 rule.
void Button2Click(std::int32_t& AutoWatch, const Timer2Switches& others, KeepAliveState& state,
                  platform::Button& Button2, platform::Label& Label6, platform::Timer& Timer2);
template <class Settings>
void Button2Click(Settings& settings, KeepAliveState& state, platform::Button& Button2, platform::Label& Label6,
                  platform::Timer& Timer2) {
  Button2Click(settings.AutoWatch, Timer2Switches{settings.AutoWatch, settings.SaveChatLog, settings.Keyword}, state,
               Button2, Label6, Timer2);
}

// "瞬間観戦": capture first when the chat log is on, spectate, then start the
// keep-alive interval again.
void Button17Click(std::int32_t SaveChatLog, KeepAliveState& state, const SpectateContext& context,
                   const CaptureChatFn& CaptureChat);
template <class Settings>
void Button17Click(const Settings& settings, KeepAliveState& state, const SpectateContext& context,
                   const CaptureChatFn& CaptureChat) {
  Button17Click(std::int32_t{settings.SaveChatLog}, state, context, CaptureChat);
}

struct Timer2Settings {
  std::int32_t AutoWatch = 0;
  std::int32_t AutoWatchTimeInterval = 15;  // minutes
  std::int32_t SaveChatLog = 0;
  std::int32_t Keyword = 0;
};

// One Timer2 tick: chat capture (when the log or the keyword alert is on and
// a client window is open), then one keep-alive step.
void Timer2Timer(const Timer2Settings& settings, KeepAliveState& state, platform::Label& Label6,
                 const SpectateContext& context, const CaptureChatFn& CaptureChat);
template <class Settings>
void Timer2Timer(const Settings& settings, KeepAliveState& state, platform::Label& Label6,
                 const SpectateContext& context, const CaptureChatFn& CaptureChat) {
  Timer2Timer(Timer2Settings{settings.AutoWatch, settings.AutoWatchTimeInterval, settings.SaveChatLog,
                             settings.Keyword},
              state, Label6, context, CaptureChat);
}

}  // namespace tamiru::game
