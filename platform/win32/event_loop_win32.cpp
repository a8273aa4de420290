#include "platform/win32/event_loop_win32.h"

#include <windows.h>

namespace tamiru::platform::win32 {

namespace {

// A WM_QUIT taken out of the queue by a wait: the wait does not end the
// program itself, it hands the request on to the main loop when it is done.
class QuitRequest {
 public:
  ~QuitRequest() {
    if (seen_) PostQuitMessage(static_cast<int>(exit_code_));
  }
  void Note(WPARAM exit_code) {
    seen_ = true;
    exit_code_ = exit_code;
  }

 private:
  bool seen_ = false;
  WPARAM exit_code_ = 0;
};

// Takes one message from the queue and dispatches it. False when the queue
// is empty or the message was WM_QUIT (which is noted, not dispatched).
bool DispatchOne(QuitRequest& quit, bool& queue_empty) {
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    queue_empty = true;
    return false;
  }
  queue_empty = false;
  if (message.message == WM_QUIT) {
    quit.Note(message.wParam);
    return false;
  }
  DispatchTaken(message);
  return true;
}

void SleepUntilInput(DWORD ms) {
  MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

}  // namespace

// Only keys look for their top-level window: that asks the window system,
// which a timer's tick many times a second need not pay.
void DispatchTaken(MSG& message) {
  if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && message.hwnd) {
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (root && IsDialogMessageA(root, &message)) return;
  }
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

std::uint32_t Win32EventLoop::TickCount() { return GetTickCount(); }

LocalTime Win32EventLoop::Now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wDayOfWeek, now.wHour, now.wMinute};
}

void Win32EventLoop::WaitWithMessages(std::uint32_t ms) {
  QuitRequest quit;
  const DWORD start = GetTickCount();
  for (;;) {
    bool queue_empty = false;
    // Dispatch what is queued, but look at the clock after each message, so
    // that a flood of messages cannot hold the wait beyond its end.
    while (!queue_empty) {
      DispatchOne(quit, queue_empty);
      if (GetTickCount() - start >= ms) return;
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    SleepUntilInput(ms - elapsed);
  }
}

void Win32EventLoop::ProcessPendingMessages() {
  QuitRequest quit;
  // At most this many messages in one call, so that the caller gets to ask
  // its question again even while messages keep arriving.
  constexpr int kMostMessages = 256;
  bool dispatched = false;
  bool queue_empty = false;
  for (int n = 0; n < kMostMessages && !queue_empty; ++n) {
    if (DispatchOne(quit, queue_empty)) dispatched = true;
  }
  // Nothing but a WM_QUIT (re-posted below) counts as nothing: sleep anyway,
  // or a caller looping on this would spin on its own re-posted WM_QUIT.
  if (!dispatched) SleepUntilInput(kSliceMs);
}

}  // namespace tamiru::platform::win32
