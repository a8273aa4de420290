#include "platform/fake/fake_event_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamiru::platform::fake {
namespace {

TEST(FakeEventLoop, TimersAndEventsFireInTimeOrderDuringAWait) {
  FakeEventLoop loop(0);
  std::vector<std::string> seen;
  auto timer = loop.CreateTimer();
  timer->SetHandler([&] { seen.push_back("t" + std::to_string(loop.TickCount())); });
  timer->SetInterval(450);
  timer->SetEnabled(true);
  loop.ScheduleAt(1000, [&] { seen.push_back("e1000"); });
  loop.WaitWithMessages(1000);
  EXPECT_EQ(seen, (std::vector<std::string>{"t450", "t900", "e1000"}));
  EXPECT_EQ(loop.TickCount(), 1000u);
}

TEST(FakeEventLoop, NestedWaitInsideATimerHandler) {
  FakeEventLoop loop(0);
  int ticks = 0;
  auto timer = loop.CreateTimer();
  timer->SetInterval(100);
  timer->SetHandler([&] {
    ++ticks;
    loop.WaitWithMessages(5500);  // the handler's own pause: no second tick of itself inside
  });
  timer->SetEnabled(true);
  loop.WaitWithMessages(150);
  EXPECT_EQ(loop.TickCount(), 5600u);
  EXPECT_EQ(ticks, 1);
}

TEST(FakeEventLoop, ZeroIntervalNeverFiresAndDisabledTimersStop) {
  FakeEventLoop loop(0);
  int ticks = 0;
  auto timer = loop.CreateTimer();
  timer->SetHandler([&] { ++ticks; });
  timer->SetEnabled(true);
  loop.Advance(10'000);
  EXPECT_EQ(ticks, 0);
  timer->SetInterval(80);
  loop.Advance(800);
  EXPECT_EQ(ticks, 10);
  timer->SetEnabled(false);
  loop.Advance(800);
  EXPECT_EQ(ticks, 10);
}

TEST(FakeEventLoop, TickCountWrapsAround) {
  FakeEventLoop loop(0xFFFFFF00u);
  bool fired = false;
  loop.ScheduleAfter(0x200, [&] { fired = true; });
  loop.WaitWithMessages(0x100);
  EXPECT_FALSE(fired);
  loop.WaitWithMessages(0x100);
  EXPECT_TRUE(fired);
  EXPECT_EQ(loop.TickCount(), 0x100u);
}

TEST(WaitUntil, BoundedAndEarlyExit) {
  FakeEventLoop loop(0);
  int asked = 0;
  EXPECT_FALSE(WaitUntil(loop, 1000, [&] { ++asked; return false; }));
  EXPECT_GE(loop.TickCount(), 1000u);
  EXPECT_LE(loop.TickCount(), 1000u + FakeEventLoop::kSliceMs);
  bool ready = false;
  loop.ScheduleAfter(35, [&] { ready = true; });
  const auto start = loop.TickCount();
  EXPECT_TRUE(WaitUntil(loop, 1000, [&] { return ready; }));
  EXPECT_LE(loop.TickCount() - start, 40u);
  (void)asked;
}

}  // namespace
}  // namespace tamiru::platform::fake
