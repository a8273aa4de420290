#pragma once
// Time and waiting on the real desktop: the waits dispatch the thread's
// messages and sleep in MsgWaitForMultipleObjects between them.
#include "platform/event_loop.h"

struct tagMSG;

namespace tamiru::platform::win32 {

// Dispatches a message taken from the queue as every loop of the program
// does: keys get a dialog's handling in their top-level window (Tab moves on,
// Enter presses the default button, Esc cancels); any other message is only
// dispatched.
void DispatchTaken(tagMSG& message);

class Win32EventLoop : public EventLoop {
 public:
  // The longest sleep of ProcessPendingMessages when nothing arrives.
  static constexpr std::uint32_t kSliceMs = 10;

  std::uint32_t TickCount() override;
  LocalTime Now() override;
  // From the user's locale (locale_win32.cpp).
  DateFormat SystemDateFormat() override;
  // A WM_QUIT taken from the queue during a wait is posted again when the
  // wait ends, so that the program's main loop still ends.
  void WaitWithMessages(std::uint32_t ms) override;
  void ProcessPendingMessages() override;
};

}  // namespace tamiru::platform::win32
