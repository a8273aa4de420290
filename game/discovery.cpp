#include "game/discovery.h"

#include "text/sjis.h"

namespace tamiru::game {

namespace {
// GetWindowTextA and GetClassNameA read into buffers of this size, so only
// the first 255 bytes of a title or class name take part in the tests.
constexpr std::size_t kNameBufferBytes = 256;

// Finds `caption`'s dialog, takes its child `n` and posts BM_CLICK to it.
// True when the child was found (whether or not the post was accepted).
bool PressDialogChild(WindowSystem& windows, std::string_view caption, int n) {
  const WindowHandle dialog = FindDialog(windows, caption);
  const WindowHandle button = FindChildWindow(windows, dialog, n);
  if (button == platform::kNoWindow) return false;
  windows.PostMessage(button, platform::msg::kButtonClick, 0, 0);
  return true;
}
}  // namespace

WindowHandle FindChildWindow(WindowSystem& windows, WindowHandle parent, int n) {
  if (parent == platform::kNoWindow || n < 0) return platform::kNoWindow;
  int counter = 0;
  WindowHandle found = platform::kNoWindow;
  windows.EnumChildWindows(parent, [&](WindowHandle child) {
    ++counter;
    if (counter <= n) return true;
    found = child;
    return false;
  });
  return found;
}

WindowHandle FindWaitingRoom(WindowSystem& windows) {
  WindowHandle found = platform::kNoWindow;
  windows.EnumWindows([&](WindowHandle window) {
    const std::string title = windows.GetWindowText(window, kNameBufferBytes);
    if (!text::ContainsSjis(title, kWaitingRoomTitle)) return true;
    const std::string class_name = windows.GetClassName(window, kNameBufferBytes);
    if (!text::ContainsBytes(class_name, kDialogClass)) return true;
    found = window;
    return false;
  });
  return found;
}

WindowHandle FindGameMainWindow(WindowSystem& windows) { return windows.FindWindow(kGameMainClass, std::nullopt); }

WindowHandle FindConnectDialog(WindowSystem& windows) { return FindDialog(windows, kConnectDialogTitle); }

WindowHandle FindDialog(WindowSystem& windows, std::string_view caption) {
  return windows.FindWindow(kDialogClass, caption);
}

WindowHandle FindClientWindow(WindowSystem& windows, ClientWindow window) {
  switch (window) {
    case ClientWindow::kGameMain: return FindGameMainWindow(windows);
    case ClientWindow::kWaitingRoom: return FindWaitingRoom(windows);
    case ClientWindow::kConnectDialog: return FindConnectDialog(windows);
    case ClientWindow::kErrorDialog: return FindDialog(windows, kErrorDialogTitle);
    case ClientWindow::kSpectateFailure: return FindDialog(windows, kSpectateFailureTitle);
  }
  return platform::kNoWindow;
}

ChatTarget FindChatControls(WindowSystem& windows) {
  ChatTarget target;
  const WindowHandle game = FindGameMainWindow(windows);
  if (game != platform::kNoWindow) {
    target.input = FindChildWindow(windows, game, child::kGameChatInput);
    if (target.input != platform::kNoWindow) {
      target.kind = ChatTargetKind::kGameMain;
      return target;
    }
  }
  const WindowHandle room = FindWaitingRoom(windows);
  if (room == platform::kNoWindow) return ChatTarget{};
  target.input = FindChildWindow(windows, room, child::kRoomChatInput);
  target.send_button = FindChildWindow(windows, room, child::kRoomSendButton);
  if (target.input == platform::kNoWindow) return ChatTarget{};
  target.kind = ChatTargetKind::kWaitingRoom;
  return target;
}

void DismissDialog(WindowSystem& windows, std::string_view caption, AttemptTick& attempt_tick) {
  if (PressDialogChild(windows, caption, child::kDialogCloseButton)) attempt_tick = 0;
}

void StartConnectAttempt(WindowSystem& windows, AttemptTick& attempt_tick, std::uint32_t now) {
  if (PressDialogChild(windows, kConnectDialogTitle, child::kConnectButton)) attempt_tick = now;
}

void ExpireConnectAttempt(WindowSystem& windows) {
  PressDialogChild(windows, kConnectDialogTitle, child::kConnectExpireButton);
}

}  // namespace tamiru::game
