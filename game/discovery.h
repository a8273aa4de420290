#pragma once
// Finding the game client's windows and the controls inside them. Controls
// are picked by their position among all descendants of their window, in
// enumeration order ("child number"). No handle is kept between operations.
#include <cstdint>
#include <string_view>

#include "platform/window_system.h"

namespace tamiru::game {

using platform::WindowHandle;
using platform::WindowSystem;

inline constexpr std::string_view kGameMainClass = "KatuGameMjMain";
inline constexpr std::string_view kDialogClass = "#32770";
inline constexpr std::string_view kWaitingRoomTitle = "待合室";
inline constexpr std::string_view kConnectDialogTitle = "東風荘－接続";
inline constexpr std::string_view kErrorDialogTitle = "エラー";
inline constexpr std::string_view kSpectateFailureTitle = "観戦失敗";

// Child numbers of the client's controls, by the window they stand in.
namespace child {
// The game main window (a table).
inline constexpr int kGameChatView = 0, kGameChatInput = 1;
// The waiting room.
inline constexpr int kRoomSelector = 1, kTableList = 2, kRoomChatView = 3, kRoomChatInput = 5, kRoomSendButton = 6,
                     kSpectateButton = 10, kReservationText = 12;
// The connect dialog, and any dialog's close button.
inline constexpr int kConnectButton = 8, kConnectExpireButton = 9, kDialogCloseButton = 0;
}  // namespace child

// Child number n of `parent`: the window EnumChildWindows reports in place
// n + 1; none when parent is none or has n or fewer descendants.
WindowHandle FindChildWindow(WindowSystem& windows, WindowHandle parent, int n);

// The first top-level window (EnumWindows order) whose title contains
// "待合室" (Shift_JIS-aware) and whose class contains "#32770".
WindowHandle FindWaitingRoom(WindowSystem& windows);

// FindWindowA("KatuGameMjMain", NULL), and the connect dialog.
WindowHandle FindGameMainWindow(WindowSystem& windows);
WindowHandle FindConnectDialog(WindowSystem& windows);
// FindWindowA("#32770", caption).
WindowHandle FindDialog(WindowSystem& windows, std::string_view caption);

enum class ChatTargetKind { kNone, kGameMain, kWaitingRoom };

struct ChatTarget {
  ChatTargetKind kind = ChatTargetKind::kNone;
  WindowHandle input = platform::kNoWindow;
  WindowHandle send_button = platform::kNoWindow;  // kind 2 only; may be none
};
ChatTarget FindChatControls(WindowSystem& windows);

// The time of the last connection attempt (GetTickCount ms; 0 = none), which
// the dialog presses below update.
using AttemptTick = std::uint32_t;

// Posts BM_CLICK to child 0 of the dialog titled `caption`; when that child
// was found, sets *attempt_tick to 0. Nothing happens when either is missing.
void DismissDialog(WindowSystem& windows, std::string_view caption, AttemptTick& attempt_tick);
// Posts BM_CLICK to child 8 of the connect dialog; when found, sets
// attempt_tick to `now`.
void StartConnectAttempt(WindowSystem& windows, AttemptTick& attempt_tick, std::uint32_t now);
// Posts BM_CLICK to child 9 of the connect dialog.
void ExpireConnectAttempt(WindowSystem& windows);

}  // namespace tamiru::game
