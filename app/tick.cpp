#include "app/tick.h"

#include <FL/Fl.H>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>

#include "agent/agent_table.h"
#include "agent/check_app_exists.h"
#include "agent/restart_app.h"
#include "app/tick_schedule.h"

void LetHostCommandDeadlineEndTheProcess() {
  signal(SIGALRM, SIG_DFL);
  sigset_t alarmOnly;
  sigemptyset(&alarmOnly);
  sigaddset(&alarmOnly, SIGALRM);
  sigprocmask(SIG_UNBLOCK, &alarmOnly, nullptr);
}

// alarm(2): SIGALRM's default action ends the process wherever it waits, in
// a read of a command's output, in pclose or in system; the commands started
// so far stay behind in our process group.
void StartHostCommandDeadline() { alarm(kHostCommandDeadline); }

void StopHostCommandDeadline() { alarm(0); }

void Timer_CB(void *data) {
  StartHostCommandDeadline();
  const char *name = s_AppExeNamesArray[0];
  if (!CheckAppExists(name)) {
    // Uninstalled: the supervisor has nothing left to do. The agent, if it
    // still runs, is left alone.
    std::exit(0);
  }
  ReStartApp(name);
  StopHostCommandDeadline();
  Fl::repeat_timeout(SecondsToNextTick(kTickPeriod), Timer_CB, data);
}
