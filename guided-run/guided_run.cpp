// The guided run: the real supervisor on a private X server, in a sandbox
// whose /Applications is its own, with a sample agent. It goes through the
// supervisor's whole job and prints a timeline of what happened, from the
// supervisor's own commands (logged by spies that then run the real ones)
// and from the process table.

#include <signal.h>

#include <cstdio>
#include <functional>
#include <string>

#include "harness/proc_table.h"
#include "harness/process.h"
#include "harness/sandbox.h"

namespace {

harness::Sandbox *s_Sandbox = nullptr;
size_t s_CallsShown = 0;

// Prints `what` with the time `when`, in seconds from the supervisor's start.
void Say(double when, const std::string &what) {
  std::printf("%7.2f s  %s\n", when - s_Sandbox->StartTime(), what.c_str());
}

// Prints the supervisor's commands logged since the last call.
void ShowNewCalls() {
  const std::vector<harness::LoggedCall> calls = s_Sandbox->Calls();
  for (; s_CallsShown < calls.size(); ++s_CallsShown) {
    const harness::LoggedCall &call = calls[s_CallsShown];
    Say(call.time, "  supervisor runs: " + call.command + " " + call.arguments);
  }
}

bool WaitShowing(const std::function<bool()> &ready, double seconds) {
  const bool happened = harness::WaitUntil(
      [&] {
        ShowNewCalls();
        return ready();
      },
      seconds);
  ShowNewCalls();
  std::fflush(stdout);
  return happened;
}

int Fail(const std::string &what) {
  ShowNewCalls();
  std::printf("\nFAILED: %s\n", what.c_str());
  return 1;
}

}  // namespace

int main() {
  harness::SandboxOptions options;
  options.agentRunning = true;
  harness::Sandbox sandbox(options);
  s_Sandbox = &sandbox;
  std::printf(
      "Guided run: sample agent bundle at /Applications/Ravelstow/Quillmere.app\n"
      "(a private sandbox), X display %s. Times are from the supervisor's start.\n\n",
      sandbox.Display().c_str());

  const pid_t supervisor = sandbox.Start();
  if (supervisor == 0) {
    return Fail("the supervisor did not start: " + sandbox.Stderr());
  }
  ShowNewCalls();
  Say(harness::Now(), "supervisor started, pid " + std::to_string(supervisor));

  std::vector<pid_t> agents;
  if (!WaitShowing([&] { return !(agents = sandbox.AgentPids()).empty(); }, 5.0)) {
    return Fail("the sample agent did not start");
  }
  const pid_t first = agents[0];
  // Let the first tick look at the running agent.
  if (!WaitShowing([&] { return sandbox.Calls("ps").size() >= 1; }, 8.0)) {
    return Fail("no tick came within 8 s");
  }
  WaitShowing([] { return false; }, 0.3);
  if (!sandbox.Calls("open").empty()) {
    return Fail("the supervisor relaunched an agent that was running");
  }
  Say(harness::Now(), "agent seen running, pid " + std::to_string(first) + "; nothing to do");

  kill(first, SIGKILL);
  const double killedAt = harness::Now();
  Say(killedAt, "agent killed (pid " + std::to_string(first) + ")");

  if (!WaitShowing(
          [&] {
            agents = sandbox.AgentPids();
            return !agents.empty() && agents[0] != first;
          },
          8.0)) {
    return Fail("the agent was not relaunched within 8 s of the kill");
  }
  const std::vector<harness::LoggedCall> relaunches = sandbox.Calls("open");
  harness::ProcessInfo agent;
  harness::ReadProcessInfo(agents[0], agent);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", harness::Now() - killedAt);
  Say(harness::Now(),
      "agent relaunched: new pid " + std::to_string(agents[0]) + ", " + seconds +
          " s after the kill, started by `open " +
          (relaunches.empty() ? std::string("?") : relaunches.back().arguments) + "`, parent pid " +
          std::to_string(agent.parent) +
          (agent.parent == supervisor ? " (the supervisor!)" : " (not the supervisor)"));
  if (relaunches.size() != 1 ||
      relaunches[0].arguments != "-g /Applications/Ravelstow/Quillmere.app") {
    return Fail("the relaunch did not go through one `open -g` of the bundle");
  }
  if (agent.parent == supervisor) {
    return Fail("the relaunched agent is a child of the supervisor");
  }

  // One more tick with the agent running, then uninstall.
  const size_t searches = sandbox.Calls("ps").size();
  WaitShowing([&] { return sandbox.Calls("ps").size() > searches; }, 8.0);
  sandbox.RemoveBundle();
  const double removedAt = harness::Now();
  Say(removedAt, "bundle removed (rm -rf /Applications/Ravelstow/Quillmere.app)");

  WaitShowing([&] { return sandbox.Exit().has_value(); }, 8.0);
  const std::optional<harness::SupervisorExit> exit = sandbox.Exit();
  if (!exit) {
    return Fail("the supervisor was still running 8 s after the bundle was removed");
  }
  std::snprintf(seconds, sizeof seconds, "%.1f", exit->time - removedAt);
  Say(exit->time, "supervisor ended with status " + std::to_string(exit->status) + ", " + seconds +
                      " s after the removal");
  harness::ProcessInfo still;
  const bool agentRuns = harness::ReadProcessInfo(agents[0], still) && still.state != 'Z';
  Say(harness::Now(), agentRuns ? "agent left running, pid " + std::to_string(agents[0])
                                : "agent no longer running");
  if (exit->status != 0) {
    return Fail("the supervisor's exit status was not 0");
  }
  if (!agentRuns) {
    return Fail("the supervisor's end took the agent with it");
  }
  std::printf("\nAll of the supervisor's job happened as it should.\n");
  return 0;
}
