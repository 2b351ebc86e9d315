#include "app/tick.h"

#include <FL/Fl.H>

#include <cstdlib>

#include "agent/agent_table.h"
#include "agent/check_app_exists.h"
#include "agent/restart_app.h"
#include "app/tick_schedule.h"

void Timer_CB(void *data) {
  const char *name = s_AppExeNamesArray[0];
  if (!CheckAppExists(name)) {
    // Uninstalled: the supervisor has nothing left to do. The agent, if it
    // still runs, is left alone.
    std::exit(0);
  }
  ReStartApp(name);
  Fl::repeat_timeout(SecondsToNextTick(kTickPeriod), Timer_CB, data);
}
