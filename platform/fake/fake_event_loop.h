#pragma once
// A fake clock and message loop for native tests. Time moves only when the
// code under test waits (WaitWithMessages, ProcessPendingMessages) or when the
// test lets the "idle" message loop run (Advance); while it moves, due timers
// and scheduled events fire in time order, nested inside the wait exactly as
// WM_TIMER handlers run nested inside a real WaitWithMessages.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/controls.h"
#include "platform/event_loop.h"

namespace tamiru::platform::fake {

class FakeTimer;

class FakeEventLoop : public EventLoop {
 public:
  explicit FakeEventLoop(std::uint32_t start_tick = 1'000'000) : tick_(start_tick) {}

  std::uint32_t TickCount() override { return tick_; }
  LocalTime Now() override { return now_; }
  void WaitWithMessages(std::uint32_t ms) override;
  // One pass of the loop: time moves by one slice (kSliceMs).
  void ProcessPendingMessages() override;

  // The idle message loop: time moves by ms, firing what falls due.
  void Advance(std::uint32_t ms) { RunUntil(tick_ + ms); }
  void SetTick(std::uint32_t tick) { tick_ = tick; }
  void SetNow(const LocalTime& now) { now_ = now; }

  // Runs `action` once when the clock reaches `at_tick` (during a wait).
  void ScheduleAt(std::uint32_t at_tick, std::function<void()> action);
  void ScheduleAfter(std::uint32_t ms, std::function<void()> action) { ScheduleAt(tick_ + ms, std::move(action)); }

  // A message-loop timer that fires while the loop turns.
  std::unique_ptr<Timer> CreateTimer();

  static constexpr std::uint32_t kSliceMs = 10;
  std::uint64_t pending_message_calls() const { return pending_message_calls_; }

 private:
  friend class FakeTimer;
  void RunUntil(std::uint32_t target);
  bool FireNextDue(std::uint32_t target);

  std::uint32_t tick_;
  LocalTime now_{2001, 12, 8, 6, 13, 5};
  std::uint64_t sequence_ = 0;
  std::multimap<std::pair<std::uint32_t, std::uint64_t>, std::function<void()>> scheduled_;  // (tick, order)
  std::vector<FakeTimer*> timers_;
  std::uint64_t pending_message_calls_ = 0;
};

}  // namespace tamiru::platform::fake
