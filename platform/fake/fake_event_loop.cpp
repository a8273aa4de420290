#include "platform/fake/fake_event_loop.h"

#include <algorithm>

namespace tamiru::platform::fake {

// A message-loop timer: fires every Interval() ms while enabled, counted from
// the moment it was enabled or its interval last set, like SetTimer.
class FakeTimer : public TickingTimer {
 public:
  explicit FakeTimer(FakeEventLoop& loop) : loop_(loop) { loop_.timers_.push_back(this); }
  ~FakeTimer() override {
    auto& timers = loop_.timers_;
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
  }
  void SetInterval(std::uint32_t ms) override {
    interval_ = ms;
    Rearm();
  }
  std::uint32_t Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Rearm();
  }
  bool IsEnabled() const override { return enabled_; }

  bool Armed() const { return enabled_ && interval_ > 0; }
  std::uint32_t due() const { return due_; }
  void Fire() {
    due_ += interval_;
    RunTick();
  }

 private:
  void Rearm() { due_ = loop_.tick_ + interval_; }
  FakeEventLoop& loop_;
  std::uint32_t interval_ = 0;
  bool enabled_ = false;
  std::uint32_t due_ = 0;
};

std::unique_ptr<Timer> FakeEventLoop::CreateTimer() { return std::make_unique<FakeTimer>(*this); }

void FakeEventLoop::ScheduleAt(std::uint32_t at_tick, std::function<void()> action) {
  scheduled_.emplace(std::make_pair(at_tick, sequence_++), std::move(action));
}

void FakeEventLoop::WaitWithMessages(std::uint32_t ms) {
  const std::uint32_t start = tick_;
  RunUntil(start + ms);
}

void FakeEventLoop::ProcessPendingMessages() {
  ++pending_message_calls_;
  RunUntil(tick_ + kSliceMs);
}

// Fires the earliest event or timer due at or before `target`; false when
// nothing is due. Times are compared as offsets from now, so the 32-bit
// wrap of the tick count is handled.
bool FakeEventLoop::FireNextDue(std::uint32_t target) {
  const std::uint32_t span = target - tick_;
  std::uint32_t best = span + 1;
  FakeTimer* best_timer = nullptr;
  for (FakeTimer* timer : timers_) {
    if (!timer->Armed()) continue;
    const std::uint32_t offset = timer->due() - tick_;
    if (offset <= span && offset < best) {
      best = offset;
      best_timer = timer;
    }
  }
  auto event = scheduled_.end();
  for (auto it = scheduled_.begin(); it != scheduled_.end(); ++it) {
    const std::uint32_t offset = static_cast<std::uint32_t>(it->first.first) - tick_;
    if (offset <= span && offset < best) {
      best = offset;
      best_timer = nullptr;
      event = it;
    }
  }
  if (best > span) return false;
  tick_ += best;
  if (best_timer) {
    best_timer->Fire();
  } else {
    auto action = std::move(event->second);
    scheduled_.erase(event);
    action();
  }
  return true;
}

void FakeEventLoop::RunUntil(std::uint32_t target) {
  for (;;) {
    // A handler that waited inside this wait may have moved the clock past
    // the target; then only what is due now still fires.
    const bool before_target = static_cast<std::int32_t>(target - tick_) > 0;
    if (!FireNextDue(before_target ? target : tick_)) {
      if (before_target) tick_ = target;
      return;
    }
  }
}

}  // namespace tamiru::platform::fake
