// The tick's schedule through FLTK's own timers, on a short period: a tick
// that overran skips the periods it missed and stays on the grid.

#include <FL/Fl.H>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "app/tick_schedule.h"

namespace {

// Long enough that a wrong schedule is off by a tenth of a second or more
// from the right one, which a loaded machine's wake-up delays do not reach.
constexpr double kPeriod = 0.5;
std::vector<double> s_TickTimes;
std::vector<double> s_WorkSeconds;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void WorkingTick(void *data) {
  const size_t index = s_TickTimes.size();
  s_TickTimes.push_back(Now());
  if (index < s_WorkSeconds.size()) {
    std::this_thread::sleep_for(std::chrono::duration<double>(s_WorkSeconds[index]));
    Fl::repeat_timeout(SecondsToNextTick(kPeriod), WorkingTick, data);
  }
}

TEST(TickSchedule, AnOverrunSkipsMissedPeriodsWithoutCatchingUp) {
  // Work of 2.5 periods, then of 0.4 periods, then of 1.1 periods.
  s_WorkSeconds = {2.5 * kPeriod, 0.4 * kPeriod, 1.1 * kPeriod};
  const double start = Now();
  Fl::add_timeout(kPeriod, WorkingTick, nullptr);
  NoteTickArmed(kPeriod);
  while (s_TickTimes.size() < 4 && Now() - start < 10.0) {
    Fl::wait(0.01);
  }
  ASSERT_EQ(s_TickTimes.size(), 4U);
  // In periods from the arming. Catching up, or counting from the end of a
  // tick's work, puts one of these ticks 0.2 s or more off.
  const double tolerance = 0.1 / kPeriod;
  auto periods = [&](size_t tick) { return (s_TickTimes[tick] - start) / kPeriod; };
  EXPECT_NEAR(periods(0), 1.0, tolerance);
  EXPECT_NEAR(periods(1), 4.0, tolerance) << "due 1, worked to 3.5: next at 4";
  EXPECT_NEAR(periods(2), 5.0, tolerance) << "a short tick keeps the period";
  EXPECT_NEAR(periods(3), 7.0, tolerance) << "due 5, worked to 6.1: next at 7";
}

}  // namespace
