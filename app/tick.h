#pragma once

// Seconds between two supervision ticks.
constexpr double kTickPeriod = 5.0;

// One supervision tick: ends the process with status 0 when the agent's
// bundle is gone, otherwise makes sure the agent runs, then re-arms itself.
void Timer_CB(void *data);
