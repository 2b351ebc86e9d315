#include "app/tick_schedule.h"

#include <chrono>
#include <cmath>

namespace {
using Clock = std::chrono::steady_clock;

Clock::time_point s_TickDue;

double SecondsSince(Clock::time_point then) {
  return std::chrono::duration<double>(Clock::now() - then).count();
}
}  // namespace

void NoteTickArmed(double delay) {
  s_TickDue = Clock::now() +
              std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(delay));
}

double SecondsToNextTick(double period) {
  const double late = SecondsSince(s_TickDue);
  double periods = std::ceil(late / period);
  if (periods < 1.0) {
    periods = 1.0;
  }
  const double delay = periods * period;
  s_TickDue += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(delay));
  return delay;
}
