#pragma once
// Finding the game client's windows and the controls inside them. Controls
// are picked by their position among all descendants of their window, in
// enumeration order ("child number"). No handle is kept between operations.
#include <array>
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

// The client's windows, each found as every feature finds it.
enum class ClientWindow { kGameMain, kWaitingRoom, kConnectDialog, kErrorDialog, kSpectateFailure };
inline constexpr std::array<ClientWindow, 5> kClientWindows{ClientWindow::kGameMain, ClientWindow::kWaitingRoom,
                                                            ClientWindow::kConnectDialog, ClientWindow::kErrorDialog,
                                                            ClientWindow::kSpectateFailure};
WindowHandle FindClientWindow(WindowSystem& windows, ClientWindow window);

// The kind of control Tamiru takes a child number for, by the messages
// it is sent.
enum class ControlRole {
  kMultiLineText,   // EM_GETLINECOUNT, EM_LINEINDEX, WM_GETTEXT
  kSingleLineText,  // WM_SETTEXT, EM_LINELENGTH, keys
  kComboBox,        // CB_GETCOUNT, CB_GETCURSEL, CB_SETCURSEL
  kListBox,         // LB_GETCOUNT, LB_GETTEXT, LB_SETCURSEL
  kButton,          // BM_CLICK
  kAnyText,         // WM_GETTEXT
};

struct ClientControl {
  ClientWindow window;
  int child;
  ControlRole role;
  std::string_view use;
};

// Every child number Tamiru uses, window by window.
inline constexpr std::array<ClientControl, 13> kClientControls{{
    {ClientWindow::kGameMain, child::kGameChatView, ControlRole::kMultiLineText, "チャット表示"},
    {ClientWindow::kGameMain, child::kGameChatInput, ControlRole::kSingleLineText, "チャット入力"},
    {ClientWindow::kWaitingRoom, child::kRoomSelector, ControlRole::kComboBox, "部屋の選択"},
    {ClientWindow::kWaitingRoom, child::kTableList, ControlRole::kListBox, "卓の一覧"},
    {ClientWindow::kWaitingRoom, child::kRoomChatView, ControlRole::kMultiLineText, "チャット表示"},
    {ClientWindow::kWaitingRoom, child::kRoomChatInput, ControlRole::kSingleLineText, "チャット入力"},
    {ClientWindow::kWaitingRoom, child::kRoomSendButton, ControlRole::kButton, "送信ボタン"},
    {ClientWindow::kWaitingRoom, child::kSpectateButton, ControlRole::kButton, "観戦ボタン"},
    {ClientWindow::kWaitingRoom, child::kReservationText, ControlRole::kAnyText, "予約の表示"},
    {ClientWindow::kConnectDialog, child::kConnectButton, ControlRole::kButton, "接続ボタン"},
    {ClientWindow::kConnectDialog, child::kConnectExpireButton, ControlRole::kButton, "中止ボタン"},
    {ClientWindow::kErrorDialog, child::kDialogCloseButton, ControlRole::kButton, "閉じるボタン"},
    {ClientWindow::kSpectateFailure, child::kDialogCloseButton, ControlRole::kButton, "閉じるボタン"},
}};

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
