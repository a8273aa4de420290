#pragma once
// Keep-alive spectating: while the user idles in the client's waiting room,
// spectate a table in play every AutoWatchTimeInterval minutes and send F4 to
// the table window, so that the session is not dropped. Also the one-click
// spectate (Button17) and the Timer2 event that drives chat capture too.
#include <cstdint>
#include <optional>
#include <string>

#include "game/discovery.h"
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

// Timer2 runs while AutoWatch, SaveChatLog or Keyword is 1 (any other value
// counts as off).
bool Timer2Runs(std::int32_t AutoWatch, std::int32_t SaveChatLog, std::int32_t Keyword, std::int32_t FriendNotice);

struct Timer2Settings {
  std::int32_t AutoWatch = 0;
  std::int32_t AutoWatchTimeInterval = 15;  // minutes
  std::int32_t SaveChatLog = 0;
  std::int32_t Keyword = 0;
  std::int32_t FriendNotice = 0;  // section "Tamiru": friends' connections told
};

// A Timer2 tick captures the chat first when the log, the keyword alert or
// the friends' connection notice is on and a client window is open.
bool ChatCaptureDue(const Timer2Settings& settings, platform::WindowSystem& windows);

// The keep-alive step of a Timer2 tick at `now_sec` (platform::SecondsSinceStart).
struct KeepAliveCountdown {
  std::optional<std::string> Label6;  // the caption to show; nullopt leaves it
  bool spectate_due = false;          // the interval has run out
};
// Starts, clears or counts the interval. Inside a running spectate it does
// nothing: that spectate owns the interval, and its caller starts the next.
// An interval whose time left is more than the whole interval (the seconds
// count turned negative after 24.8 days of uptime) starts again from now.
KeepAliveCountdown CountDownKeepAlive(const Timer2Settings& settings, KeepAliveState& state,
                                      platform::WindowSystem& windows, std::int32_t now_sec);

// One spectate, then a new interval from the moment it returns (the
// keep-alive step, "瞬間観戦" and its macro).
void SpectateAndRestartInterval(KeepAliveState& state, const SpectateContext& context);

}  // namespace tamiru::game
