#pragma once

// Seconds between two supervision ticks.
constexpr double kTickPeriod = 5.0;

// Seconds that a tick, or start-up, may take before the process ends
// itself, killed by SIGALRM: a host command that never returns would
// otherwise leave a supervisor that looks alive and keeps nothing. Start-up
// is covered whole, from the top of main to the first tick's arming: the
// install listing, and on macOS FLTK's opening of the display and AppKit's
// launch of the app, which either could hold up as long. Ended
// unsuccessfully, the supervisor is started again by its LaunchAgent, and
// launchd sends what is left of its process group SIGTERM: a hung command
// that ignores it, or that sits in an uninterruptible wait, stays behind.
//
// A tick runs `ls -l`, `ps -ef | grep` and, when the agent is down,
// `open -g`, which returns once the agent has been handed to the system. On
// an idle machine the three take well under a second; on a slow Mac at
// login, with every login item starting and the disk busy, `open -g` can
// take several seconds. A minute is an order of magnitude beyond that, so a
// slow tick is never taken for a hung one, and after a hang the agent is
// back within a minute and a few seconds (launchd restarts the supervisor at
// once, its last start being far more than launchd's ten-second throttle
// behind, then start-up and one tick) instead of at the next login.
constexpr unsigned kHostCommandDeadline = 60;

// SIGALRM back to its default action (end the process), and unblocked,
// whatever the parent left in place: both are inherited across exec.
void LetHostCommandDeadlineEndTheProcess();

// Arms the deadline, kHostCommandDeadline seconds from now.
void StartHostCommandDeadline();
// Clears it: the host commands have returned.
void StopHostCommandDeadline();

// One supervision tick: ends the process with status 0 when the agent's
// bundle is gone, otherwise makes sure the agent runs, then re-arms itself.
// Its work runs under the deadline, which it clears before it returns: the
// wait for the next tick may itself be longer than the deadline (FLTK runs
// timeouts only in its own wait, which a menu tracked by AppKit holds off).
void Timer_CB(void *data);
