#pragma once
// Time and waiting. All waits turn the message loop, so the user interface
// stays responsive and timers fire during them; none spins a core.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace tamiru::platform {

// How the system writes dates: separators and abbreviated weekday names
// (index 0 = Sunday), as the chat log's record prefix shows them.
struct DateFormat {
  std::string date_separator = "/";
  std::string time_separator = ":";
  std::array<std::string, 7> weekday_names{"日", "月", "火", "水", "木", "金", "土"};
};

// The local calendar time, as the chat log's record prefix needs it.
struct LocalTime {
  int year = 0;     // four digits
  int month = 0;    // 1-12
  int day = 0;      // 1-31
  int weekday = 0;  // 0 = Sunday
  int hour = 0;     // 0-23
  int minute = 0;   // 0-59
};

class EventLoop {
 public:
  virtual ~EventLoop() = default;

  // The system's date format; the Win32 loop asks the user's locale, others
  // answer the Japanese defaults.
  virtual DateFormat SystemDateFormat() { return {}; }

  // GetTickCount(): milliseconds since system start, 32 bits, wrapping.
  virtual std::uint32_t TickCount() = 0;
  virtual LocalTime Now() = 0;

  // Note TickCount(), then process the program's pending window messages
  // until TickCount() has reached the noted value + ms.
  virtual void WaitWithMessages(std::uint32_t ms) = 0;

  // Process the pending messages once; when there are none, sleep until one
  // arrives or a short slice (a few ms) has passed, so that a loop that asks
  // the client again after each call never spins a core.
  virtual void ProcessPendingMessages() = 0;
};

// The seconds count of the design: TickCount() read as a signed 32-bit value
// and divided by 1000, rounding toward zero.
inline std::int32_t SecondsSinceStart(std::uint32_t tick) {
  return static_cast<std::int32_t>(tick) / 1000;
}

// Processes messages until `done()` holds or `bound_ms` milliseconds have
// passed. True when done() held. The one bounded wait every caller uses.
bool WaitUntil(EventLoop& loop, std::uint32_t bound_ms, const std::function<bool()>& done);

}  // namespace tamiru::platform
