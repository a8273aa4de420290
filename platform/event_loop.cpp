#include "platform/event_loop.h"

namespace tamiru::platform {

bool WaitUntil(EventLoop& loop, std::uint32_t bound_ms, const std::function<bool()>& done) {
  const std::uint32_t start = loop.TickCount();
  while (!done()) {
    if (loop.TickCount() - start >= bound_ms) return false;
    loop.ProcessPendingMessages();
  }
  return true;
}

}  // namespace tamiru::platform
