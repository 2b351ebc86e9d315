// The tick's schedule through FLTK's own timers, on a short period: a tick
// that overran skips the periods it missed and stays on the grid.

#include <FL/Fl.H>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "app/tick_schedule.h"

namespace {

constexpr double kPeriod = 0.2;
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
  // Work of 2.5 periods, then of a quarter period, then of 1.1 periods.
  s_WorkSeconds = {0.5, 0.05, 0.22};
  const double start = Now();
  Fl::add_timeout(kPeriod, WorkingTick, nullptr);
  NoteTickArmed(kPeriod);
  while (s_TickTimes.size() < 4 && Now() - start < 5.0) {
    Fl::wait(0.01);
  }
  ASSERT_EQ(s_TickTimes.size(), 4U);
  const double tolerance = 0.04;
  EXPECT_NEAR(s_TickTimes[0] - start, 0.2, tolerance);
  EXPECT_NEAR(s_TickTimes[1] - start, 0.8, tolerance) << "due 0.2, worked to 0.7: next at 0.8";
  EXPECT_NEAR(s_TickTimes[2] - start, 1.0, tolerance) << "a short tick keeps the period";
  EXPECT_NEAR(s_TickTimes[3] - start, 1.4, tolerance) << "due 1.0, worked to 1.22: next at 1.4";
}

}  // namespace
