#include "game/keep_alive.h"

#include <string>

#include "text/number.h"
#include "text/sjis.h"

namespace tamiru::game {

namespace {

using platform::kNoWindow;
namespace msg = platform::msg;

constexpr std::string_view kInPlay = "プレイ中";
constexpr std::string_view kReservation = "予約";

std::int32_t NowSeconds(platform::EventLoop& loop) { return platform::SecondsSinceStart(loop.TickCount()); }

// Clears the running flag however SpectateOnce leaves.
class RunningGuard {
 public:
  explicit RunningGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunningGuard() { flag_ = false; }
  RunningGuard(const RunningGuard&) = delete;
  RunningGuard& operator=(const RunningGuard&) = delete;

 private:
  bool& flag_;
};

enum class SpectateResult { kTableOpened, kRefused, kStuck, kClientGone };

// Steps after the spectate button was pressed: wait for the table window or
// the failure dialog, dismiss the latter and wait for it to go.
SpectateResult AwaitSpectateOutcome(const SpectateContext& context, WindowHandle room_window) {
  platform::WindowSystem& windows = context.windows;
  platform::EventLoop& loop = context.loop;
  const std::uint32_t start = loop.TickCount();
  bool failure = false;
  bool table = false;
  for (;;) {
    failure = FindDialog(windows, kSpectateFailureTitle) != kNoWindow;
    table = FindGameMainWindow(windows) != kNoWindow;
    loop.WaitWithMessages(kOutcomePollMs);
    // Another waiting room than the one pressed: the client was closed and
    // a new one started meanwhile; its table, if any, is not this spectate's.
    const WindowHandle room_now = FindWaitingRoom(windows);
    if (room_now != kNoWindow && room_now != room_window) return SpectateResult::kClientGone;
    if (failure || table) break;
    // A client closed meanwhile would keep this loop waiting for nothing.
    if (FindWaitingRoom(windows) == kNoWindow && FindGameMainWindow(windows) == kNoWindow &&
        FindDialog(windows, kSpectateFailureTitle) == kNoWindow) {
      return SpectateResult::kClientGone;
    }
    if (loop.TickCount() - start >= kOutcomeBoundMs) return SpectateResult::kStuck;
  }
  if (failure) {
    DismissDialog(windows, kSpectateFailureTitle, context.ConnectAttemptTick);
    const std::uint32_t dismissed = loop.TickCount();
    while (FindDialog(windows, kSpectateFailureTitle) != kNoWindow) {
      if (loop.TickCount() - dismissed >= kFailureDialogBoundMs) return SpectateResult::kStuck;
      loop.WaitWithMessages(kOutcomePollMs);
    }
  }
  return table ? SpectateResult::kTableOpened : SpectateResult::kRefused;
}

// Selects `row`, presses the spectate button and sees the spectate through;
// nullopt when the client refused it.
std::optional<SpectateOutcome> SpectateRow(const SpectateContext& context, WindowHandle room_window,
                                           platform::MsgResult row) {
  platform::WindowSystem& windows = context.windows;
  const WindowHandle pick_list = FindChildWindow(windows, room_window, child::kTableList);
  if (pick_list == kNoWindow) return SpectateOutcome::kClientGone;
  windows.SendMessage(pick_list, msg::kListSetCurSel, static_cast<platform::WParam>(row), 0);
  const WindowHandle spectate = FindChildWindow(windows, room_window, child::kSpectateButton);
  if (spectate == kNoWindow) return SpectateOutcome::kClientGone;
  windows.SendMessage(spectate, msg::kButtonClick, 0, 0);

  switch (AwaitSpectateOutcome(context, room_window)) {
    case SpectateResult::kStuck: return SpectateOutcome::kGaveUp;
    case SpectateResult::kClientGone: return SpectateOutcome::kClientGone;
    case SpectateResult::kRefused: return std::nullopt;
    case SpectateResult::kTableOpened: break;
  }
  // Looked up again: the table window may have closed during the waits.
  const WindowHandle table = FindGameMainWindow(windows);
  if (table == kNoWindow) return SpectateOutcome::kClientGone;
  windows.SetForegroundWindow(table);
  windows.PostMessage(table, msg::kKeyDown, platform::kVkF4, 0);
  windows.PostMessage(table, msg::kKeyUp, platform::kVkF4, 0);
  return SpectateOutcome::kSpectated;
}

}  // namespace

bool ReservationShown(platform::WindowSystem& windows, WindowHandle waiting_room) {
  const WindowHandle indicator = FindChildWindow(windows, waiting_room, child::kReservationText);
  if (indicator == kNoWindow) return true;
  return text::ContainsSjis(windows.SendGetText(indicator, kReservationBufferBytes), kReservation);
}

SpectateOutcome SpectateOnce(KeepAliveState& state, const SpectateContext& context) {
  if (state.SpectateRunning) return SpectateOutcome::kAlreadyRunning;
  RunningGuard running(state.SpectateRunning);
  platform::WindowSystem& windows = context.windows;

  const WindowHandle room_window = FindWaitingRoom(windows);
  if (room_window == kNoWindow) return SpectateOutcome::kNothingToDo;
  if (ReservationShown(windows, room_window)) return SpectateOutcome::kNothingToDo;

  const WindowHandle selector = FindChildWindow(windows, room_window, child::kRoomSelector);
  if (selector == kNoWindow) return SpectateOutcome::kNothingToDo;
  const auto rooms = windows.SendMessage(selector, msg::kComboGetCount, 0, 0);
  const auto first_room = windows.SendMessage(selector, msg::kComboGetCurSel, 0, 0);
  auto room = first_room;

  const WindowHandle list = FindChildWindow(windows, room_window, child::kTableList);
  if (list == kNoWindow) return SpectateOutcome::kNothingToDo;
  // Taken once: every room is scanned with the row count of the first.
  const auto rows = windows.SendMessage(list, msg::kListGetCount, 0, 0);

  // Counting the rooms selected ends the scan also when the selector reports
  // no current room (-1), which the wrap never comes back to.
  platform::MsgResult rooms_selected = 0;
  platform::MsgResult row = 0;
  for (;;) {
    // The controls are taken again before each use: the client may have
    // rebuilt or closed its window during a wait.
    const WindowHandle rows_list = FindChildWindow(windows, room_window, child::kTableList);
    if (rows_list == kNoWindow) return SpectateOutcome::kClientGone;
    const std::string row_text(
        text::AsBuffered(windows.SendGetListText(rows_list, static_cast<int>(row)), kRowBufferBytes));

    if (text::ContainsSjis(row_text, kInPlay)) {
      // Refused: go on as if this row had not matched.
      if (const std::optional<SpectateOutcome> done = SpectateRow(context, room_window, row)) return *done;
    }

    ++row;
    if (row < rows) continue;
    room = room + 1 >= rooms ? 0 : room + 1;
    if (room == first_room || rooms_selected >= rooms) return SpectateOutcome::kNoTableInPlay;
    row = 0;
    const WindowHandle room_selector = FindChildWindow(windows, room_window, child::kRoomSelector);
    if (room_selector == kNoWindow) return SpectateOutcome::kClientGone;
    windows.SendMessage(room_selector, msg::kComboSetCurSel, static_cast<platform::WParam>(room), 0);
    ++rooms_selected;
    windows.SetForegroundWindow(room_window);
    windows.SendMessage(room_selector, msg::kSysKeyDown, kRoomChangeKey, 0);
  }
}

bool Timer2Runs(std::int32_t AutoWatch, std::int32_t SaveChatLog, std::int32_t Keyword, std::int32_t FriendNotice) {
  return AutoWatch == 1 || SaveChatLog == 1 || Keyword == 1 || FriendNotice == 1;
}

bool ChatCaptureDue(const Timer2Settings& settings, platform::WindowSystem& windows) {
  return (settings.SaveChatLog == 1 || settings.Keyword == 1 || settings.FriendNotice == 1) &&
         (FindWaitingRoom(windows) != kNoWindow || FindGameMainWindow(windows) != kNoWindow);
}

KeepAliveCountdown CountDownKeepAlive(const Timer2Settings& settings, KeepAliveState& state,
                                      platform::WindowSystem& windows, std::int32_t now_sec) {
  if (state.SpectateRunning) return {};
  if (settings.AutoWatch != 1 || FindWaitingRoom(windows) == kNoWindow) {
    state.KeepAliveStartSec = 0;
    return {std::string()};
  }
  if (state.KeepAliveStartSec == 0) state.KeepAliveStartSec = now_sec;
  if (FindGameMainWindow(windows) != kNoWindow) {
    state.KeepAliveStartSec = 0;
    return {std::string()};
  }
  const long long interval = static_cast<long long>(settings.AutoWatchTimeInterval) * 60;
  long long remaining = static_cast<long long>(state.KeepAliveStartSec) - now_sec + interval;
  if (remaining > interval) {
    state.KeepAliveStartSec = now_sec;
    remaining = interval;
  }
  return {"残り" + text::DecimalText((remaining + 59) / 60) + "分", remaining <= 0};
}

void SpectateAndRestartInterval(KeepAliveState& state, const SpectateContext& context) {
  SpectateOnce(state, context);
  state.KeepAliveStartSec = NowSeconds(context.loop);
}

}  // namespace tamiru::game
