#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <vector>

#include "testing/manual_clock.hpp"
#include "platform/system_clock.hpp"

namespace kestrel {
namespace {

constexpr Instant start = 1773057600;

TEST(ManualClock, RunsDueTimersInDeadlineOrderEachAtItsOwnInstant) {
  ManualClock clock(start);
  std::vector<std::pair<int, Instant>> ran;
  const auto note = [&](int which) { return [&, which] { ran.emplace_back(which, clock.now()); }; };
  Timer late = clock.after(2, note(3));
  Timer first = clock.after(1, note(1));
  Timer tie = clock.after(1, note(2));  // equal deadlines: in the order planned
  Timer cancelled = clock.after(0.5, note(9));
  cancelled.cancel();
  Timer beyond = clock.after(5, note(4));
  clock.advance(2);  // a deadline exactly at the end of the step is due
  EXPECT_EQ(ran, (std::vector<std::pair<int, Instant>>{{1, start + 1}, {2, start + 1}, {3, start + 2}}));
  EXPECT_EQ(clock.now(), start + 2);
  EXPECT_EQ(clock.monotonic(), start + 2);
  clock.advanceTo(start + 1);  // never back
  EXPECT_EQ(clock.now(), start + 2);
}

TEST(ManualClock, TimersPlannedOnTheWayRunInTheSameStepAndSettleRunsAfterEach) {
  ManualClock clock(start);
  std::vector<Instant> ticks;
  std::int64_t settles = 0;
  Timer timer;
  std::function<void()> tick = [&] {
    ticks.push_back(clock.now());
    timer = clock.after(0.25, tick);  // replaces the running timer from inside it
  };
  timer = clock.after(0.25, tick);
  clock.setSettle([&] { ++settles; });
  clock.advance(1);
  EXPECT_EQ(ticks, (std::vector<Instant>{start + 0.25, start + 0.5, start + 0.75, start + 1}));
  EXPECT_EQ(settles, 5);  // after each timer and once at the end
  Timer dropped = clock.after(0, [&] { ticks.push_back(0); });
  dropped = Timer();  // destroying a timer cancels it
  timer.cancel();
  clock.advance(1);
  EXPECT_EQ(ticks.size(), 4U);
}

TEST(SystemClock, RunsATimerOnItsThreadAndNeverACancelledOne) {
  SystemClock clock;
  const Instant now = clock.now();
  const Instant wall = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  EXPECT_LE(now, wall);
  EXPECT_GT(now, wall - 60);

  std::promise<std::thread::id> ran;
  Timer timer = clock.after(0, [&] { ran.set_value(std::this_thread::get_id()); });
  auto future = ran.get_future();
  ASSERT_EQ(future.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  EXPECT_NE(future.get(), std::this_thread::get_id());

  bool cancelledRan = false;
  Timer cancelled = clock.after(3600, [&] { cancelledRan = true; });
  cancelled.cancel();
  EXPECT_FALSE(cancelledRan);
}

TEST(SystemClock, CancellingARunningTimerWaitsForIt) {
  SystemClock clock;
  std::promise<void> started;
  std::promise<void> release;
  auto released = release.get_future().share();
  bool finished = false;
  Timer timer = clock.after(0, [&, released] {
    started.set_value();
    released.wait();
    finished = true;
  });
  started.get_future().wait();
  auto cancelling = std::async(std::launch::async, [&] { timer.cancel(); });
  EXPECT_EQ(cancelling.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  release.set_value();
  cancelling.wait();
  EXPECT_TRUE(finished);
}

}  // namespace
}  // namespace kestrel
