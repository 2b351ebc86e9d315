// The real supervisor kept running while things around it fail.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/tick.h"
#include "e2e.h"
#include "harness/proc_table.h"
#include "harness/process.h"
#include "harness/sandbox.h"

namespace {

size_t Ticks(const harness::Sandbox &sandbox) {
  const size_t listings = sandbox.CallTimes("ls").size();
  return listings == 0 ? 0 : listings - 1;  // the first listing is the start's
}

bool WaitForTicks(const harness::Sandbox &sandbox, size_t ticks) {
  return harness::WaitUntil([&] { return Ticks(sandbox) >= ticks; },
                            5.0 * static_cast<double>(ticks) + 10.0);
}

// Waits until the last tick has done its work, in the cases where every tick
// asks for a relaunch: its `open` logged and none of its commands left.
bool WaitForTickDone(const harness::Sandbox &sandbox, pid_t supervisor) {
  return harness::WaitUntil(
      [&] {
        return sandbox.Calls("open").size() == Ticks(sandbox) &&
               harness::ChildrenOf(supervisor).empty();
      },
      5.0);
}

// Zombies whose parent lives in the supervisor's sandbox.
std::set<pid_t> ZombiesIn(pid_t supervisor) {
  const std::vector<pid_t> members = harness::PidsBesides(supervisor);
  std::set<pid_t> zombies;
  for (pid_t zombie : harness::Zombies()) {
    harness::ProcessInfo info;
    if (harness::ReadProcessInfo(zombie, info) &&
        std::find(members.begin(), members.end(), info.parent) != members.end()) {
      zombies.insert(zombie);
    }
  }
  return zombies;
}

TEST(Faults, WithoutDescriptorsTheSupervisorWaitsAndThenCarriesOn) {
  harness::Sandbox sandbox;  // bundle installed, agent not running
  const pid_t supervisor = sandbox.Start();
  ASSERT_NE(supervisor, 0);
  // Starved only once start-up is over and its window is shown.
  ASSERT_NE(e2e::WaitForWindow(sandbox), "") << e2e::Account(sandbox);
  const int limit = harness::LowestFreeDescriptor(supervisor);
  harness::Capture("prlimit --pid " + std::to_string(supervisor) +
                   " --nofile=" + std::to_string(limit) + ":4096");

  // Three ticks' time: it cannot look, so it neither ends nor relaunches.
  harness::Pause(16.0);
  EXPECT_EQ(harness::PidsRunning(sandbox.SupervisorExecutable()), std::vector<pid_t>{supervisor});
  EXPECT_EQ(sandbox.CallTimes("ls").size(), 1U) << "only the start's listing";
  EXPECT_TRUE(sandbox.Calls("open").empty());
  EXPECT_TRUE(sandbox.AgentPids().empty());
  EXPECT_TRUE(harness::ChildrenOf(supervisor).empty());

  harness::Capture("prlimit --pid " + std::to_string(supervisor) + " --nofile=4096:4096");
  EXPECT_TRUE(harness::WaitUntil([&] { return sandbox.AgentPids().size() == 1; }, 7.0));
  EXPECT_EQ(sandbox.Calls("open").size(), 1U);
  EXPECT_FALSE(sandbox.Exit().has_value());
}

// The home of the leak checks of the path that relaunches, through the real
// tick (its deadline and timer); the path that finds the agent running is
// the soak's (soak_test.cpp).
TEST(Faults, ACrashLoopingAgentIsRelaunchedEveryTickAndNothingLeaks) {
  harness::SandboxOptions options;
  options.env = {"SAMPLE_AGENT_LIFETIME=1"};  // dies a second after each start
  harness::Sandbox sandbox(options);
  const pid_t supervisor = sandbox.Start();
  ASSERT_NE(supervisor, 0);
  ASSERT_TRUE(WaitForTicks(sandbox, 1));
  ASSERT_TRUE(WaitForTickDone(sandbox, supervisor));
  const int descriptors = harness::OpenDescriptorCount(supervisor);
  const int threads = harness::ThreadCount(supervisor);

  // A zombie seen twice, half a second apart, is one that nobody reaps.
  std::set<pid_t> lingering;
  std::set<pid_t> previous;
  harness::WaitUntil(
      [&] {
        const std::set<pid_t> now = ZombiesIn(supervisor);
        for (pid_t zombie : now) {
          if (previous.count(zombie) != 0) {
            lingering.insert(zombie);
          }
        }
        previous = now;
        harness::Pause(0.5);
        return Ticks(sandbox) >= 31;
      },
      5.0 * 31 + 10.0);
  ASSERT_GE(Ticks(sandbox), 31U);
  // Every tick found the agent gone and asked for it again.
  EXPECT_TRUE(WaitForTickDone(sandbox, supervisor));

  EXPECT_TRUE(lingering.empty()) << lingering.size() << " zombies were left";
  EXPECT_EQ(harness::OpenDescriptorCount(supervisor), descriptors);
  EXPECT_EQ(harness::ThreadCount(supervisor), threads);
  EXPECT_FALSE(sandbox.Exit().has_value());
}

// A command that never returns, as a fake; it is found among the
// supervisor's processes by its command line.
const char kNeverReturns[] = "exec sleep 100000";
const char kNeverReturnsCommandLine[] = "sleep 100000";

// Between the deadline's end and the supervisor's end as logged: the
// sandbox's shell noting it (a `date`, well under a second even with
// sanitizers on a busy machine).
constexpr double kEndMargin = 5.0;
// Between a tick's arming of the deadline and its listing as the spy logs
// it: a shell started through popen and a `date`, well under a second even
// with sanitizers on a busy machine, and far less than the five seconds
// between two ticks.
constexpr double kArmingToListing = 3.0;

pid_t GroupOf(pid_t pid) {
  harness::ProcessInfo info;
  return harness::ReadProcessInfo(pid, info) ? info.group : 0;
}

// A supervisor whose host command hangs; its process group and the hung
// command, once found.
struct HungSupervisor {
  const harness::Sandbox *sandbox = nullptr;
  pid_t pid = 0;
  pid_t group = 0;
  pid_t hung = 0;
};

// Waits for the hung command, which must be in the supervisor's group.
void ExpectHungCommand(HungSupervisor &supervisor, double seconds) {
  supervisor.group = GroupOf(supervisor.pid);
  ASSERT_NE(supervisor.group, 0) << e2e::Account(*supervisor.sandbox);
  // Only the supervisor runs commands in its sandbox.
  ASSERT_TRUE(harness::WaitUntil(
      [&] {
        for (pid_t pid : harness::PidsBesides(supervisor.pid)) {
          if (harness::CommandLine(pid) == kNeverReturnsCommandLine) {
            supervisor.hung = pid;
          }
        }
        return supervisor.hung != 0;
      },
      seconds))
      << e2e::Account(*supervisor.sandbox);
  EXPECT_EQ(GroupOf(supervisor.hung), supervisor.group);
}

// The supervisor ends, killed by its deadline's SIGALRM, which it armed
// between `earliestArming` and `latestArming`: no sooner than the deadline
// after the one, no later than the deadline and the margin after the other.
// The hung command stays behind in the supervisor's process group, where
// launchd sends it SIGTERM with the rest of the job; here nothing else
// would end it, so it goes now.
void ExpectEndedByDeadline(const HungSupervisor &supervisor, double earliestArming,
                           double latestArming) {
  const std::optional<harness::SupervisorExit> end = supervisor.sandbox->WaitForExit(
      latestArming + kHostCommandDeadline + kEndMargin - harness::Now());
  ASSERT_TRUE(end.has_value()) << "the supervisor still runs";
  EXPECT_EQ(end->status, 128 + SIGALRM) << "not ended by SIGALRM";
  EXPECT_GE(end->time - earliestArming, kHostCommandDeadline - 0.02);
  EXPECT_LE(end->time - latestArming, kHostCommandDeadline + kEndMargin);

  harness::ProcessInfo info;
  EXPECT_TRUE(harness::ReadProcessInfo(supervisor.hung, info) && info.state != 'Z')
      << "the hung command is gone";
  EXPECT_EQ(info.group, supervisor.group);
  if (supervisor.hung != 0) {  // kill(0) would hit the test's own group
    kill(supervisor.hung, SIGKILL);
  }
}

// Stops the supervisor between two ticks, with none of its commands
// running; returns when the last tick before the stop listed the bundle.
std::optional<double> StopBetweenTicks(const harness::Sandbox &sandbox, pid_t supervisor) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    const size_t ticks = Ticks(sandbox);
    if (!harness::WaitUntil(
            [&] { return Ticks(sandbox) > ticks && harness::ChildrenOf(supervisor).empty(); },
            e2e::kStartUpSeconds + kTickPeriod)) {
      return std::nullopt;
    }
    kill(supervisor, SIGSTOP);
    // A tick begun just before the stop would hold a deadline of its own.
    harness::Pause(0.5);
    if (Ticks(sandbox) == ticks + 1 && harness::ChildrenOf(supervisor).empty()) {
      return sandbox.CallTimes("ls").back();
    }
    kill(supervisor, SIGCONT);
  }
  return std::nullopt;
}

TEST(Faults, AHungCommandEndsTheSupervisorUnsuccessfullyWithinTheDeadline) {
  // Supervisors side by side, each waiting out the whole deadline: one
  // whose start-up listing never returns...
  harness::Sandbox atStartUp;
  atStartUp.Fake("ls", kNeverReturns);
  // ...one whose `ps` returns at the first tick, so that the agent is
  // relaunched, and never at the second. It is started with SIGALRM
  // ignored and blocked, both of which a child inherits across exec...
  harness::SandboxOptions tickOptions;
  tickOptions.launcher =
      "python3 -c 'import os, signal, sys; signal.signal(signal.SIGALRM, signal.SIG_IGN); "
      "signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGALRM}); "
      "os.execv(sys.argv[1], sys.argv[1:])'";
  harness::Sandbox atTick(tickOptions);
  const std::string psRan = atTick.Folder() + "/ps-ran";
  atTick.Fake("ps", "if [ -e " + psRan + " ]; then " + kNeverReturns + "; fi\n: >" + psRan +
                        "\nexec /usr/bin/ps \"$@\"");
  // ...one whose relaunch never returns, as a launcher busy at login...
  harness::Sandbox atRelaunch;
  atRelaunch.Fake("open", kNeverReturns);
  // ...and one that is stopped between two ticks for longer than the
  // deadline, as a tick held back on a Mac would be, and must carry on.
  harness::Sandbox paused;

  HungSupervisor startUp{&atStartUp, atStartUp.Start()};
  HungSupervisor tick{&atTick, atTick.Start()};
  HungSupervisor relaunch{&atRelaunch, atRelaunch.Start()};
  const pid_t pausedSupervisor = paused.Start();
  ASSERT_NE(startUp.pid, 0);
  ASSERT_NE(tick.pid, 0);
  ASSERT_NE(relaunch.pid, 0);
  ASSERT_NE(pausedSupervisor, 0);

  // The hung commands, each in its supervisor's process group.
  ExpectHungCommand(startUp, e2e::kStartUpSeconds);
  ExpectHungCommand(relaunch, e2e::kStartUpSeconds + kTickPeriod);
  ExpectHungCommand(tick, e2e::kStartUpSeconds + 2 * kTickPeriod);
  const std::optional<double> lastTickBeforeStop = StopBetweenTicks(paused, pausedSupervisor);
  ASSERT_TRUE(lastTickBeforeStop.has_value()) << e2e::Account(paused);
  ASSERT_EQ(atTick.Calls("ps").size(), 2U);
  // The agent the first tick relaunched is outside that group: launchd's
  // end of the job leaves it running.
  const std::vector<pid_t> agents = atTick.AgentPids();
  ASSERT_EQ(agents.size(), 1U);
  harness::ProcessInfo agent;
  ASSERT_TRUE(harness::ReadProcessInfo(agents[0], agent));
  EXPECT_NE(agent.group, tick.group);

  // At start-up the deadline was armed after the sandbox started, and
  // before the listing was logged.
  {
    SCOPED_TRACE("an ls that never returns at start-up");
    ExpectEndedByDeadline(startUp, atStartUp.StartTime(), atStartUp.CallTimes("ls").at(0));
  }
  // At a tick, just before the tick's listing, and before the hung command
  // was logged.
  {
    SCOPED_TRACE("an open -g that never returns at a relaunch");
    ExpectEndedByDeadline(relaunch, atRelaunch.CallTimes("ls").at(1) - kArmingToListing,
                          atRelaunch.CallTimes("open").at(0));
  }
  {
    SCOPED_TRACE("a ps that never returns at a tick, SIGALRM ignored and blocked at the start");
    ExpectEndedByDeadline(tick, atTick.CallTimes("ls").at(2) - kArmingToListing,
                          atTick.CallTimes("ps").at(1));
  }

  // No deadline outlives its tick: continued past the deadline after the
  // last tick's arming, the supervisor carries on with the next ones.
  {
    SCOPED_TRACE("stopped between two ticks for longer than the deadline");
    harness::Pause(*lastTickBeforeStop + kHostCommandDeadline + kEndMargin - harness::Now());
    const size_t ticks = Ticks(paused);
    kill(pausedSupervisor, SIGCONT);
    EXPECT_TRUE(WaitForTicks(paused, ticks + 2)) << e2e::Account(paused);
    EXPECT_FALSE(paused.Exit().has_value()) << e2e::Account(paused);
  }
}

}  // namespace
