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
  ASSERT_TRUE(
      harness::WaitUntil([&] { return !e2e::FindWindow(sandbox).empty(); }, e2e::kStartUpSeconds))
      << e2e::Account(sandbox);
  const int limit = harness::LowestFreeDescriptor(supervisor);
  harness::Capture("prlimit --pid " + std::to_string(supervisor) +
                   " --nofile=" + std::to_string(limit) + ":4096");

  // Three ticks' time: it cannot look, so it neither ends nor relaunches.
  harness::Pause(16.0);
  EXPECT_FALSE(sandbox.Exit().has_value());
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
  EXPECT_EQ(sandbox.Calls("open").size(), Ticks(sandbox));
  EXPECT_EQ(harness::OpenDescriptorCount(supervisor), descriptors);
  EXPECT_EQ(harness::ThreadCount(supervisor), threads);
  EXPECT_TRUE(harness::ChildrenOf(supervisor).empty());
  EXPECT_FALSE(sandbox.Exit().has_value());
}

// With `ps` or `grep` missing, the search prints nothing, so every tick asks
// for a relaunch; `open` starts nothing while the agent runs.
void ExpectNoPileUpWithout(const std::string &command) {
  harness::SandboxOptions options;
  options.missingCommand = command;
  harness::Sandbox sandbox(options);
  const pid_t supervisor = sandbox.Start();
  ASSERT_NE(supervisor, 0);
  ASSERT_TRUE(WaitForTicks(sandbox, 1));
  ASSERT_TRUE(WaitForTickDone(sandbox, supervisor));
  ASSERT_TRUE(harness::WaitUntil([&] { return sandbox.AgentPids().size() == 1; }, 5.0));
  const pid_t agent = sandbox.AgentPids()[0];
  const size_t processes = harness::PidsBesides(supervisor).size();

  ASSERT_TRUE(WaitForTicks(sandbox, 11));
  EXPECT_TRUE(WaitForTickDone(sandbox, supervisor));
  EXPECT_EQ(sandbox.Calls("open").size(), Ticks(sandbox));
  EXPECT_EQ(sandbox.AgentPids(), std::vector<pid_t>{agent});
  EXPECT_EQ(harness::PidsBesides(supervisor).size(), processes);
  EXPECT_TRUE(harness::ChildrenOf(supervisor).empty());
  EXPECT_NE(sandbox.Stderr().find(command), std::string::npos) << "the shell's complaint";
}

TEST(Faults, WithoutPsNothingPilesUp) { ExpectNoPileUpWithout("ps"); }
TEST(Faults, WithoutGrepNothingPilesUp) { ExpectNoPileUpWithout("grep"); }

// A command that never returns, as a fake; it is found among the
// supervisor's processes by its command line.
const char kNeverReturns[] = "exec sleep 100000";
const char kNeverReturnsCommandLine[] = "sleep 100000";

// Between the deadline's end and the supervisor's end as logged: the
// sandbox's shell noting it (a `date`, well under a second even with
// sanitizers on a busy machine).
constexpr double kEndMargin = 5.0;

std::vector<pid_t> DescendantsOf(pid_t ancestor) {
  std::vector<pid_t> found;
  std::vector<pid_t> parents = {ancestor};
  while (!parents.empty()) {
    const pid_t parent = parents.back();
    parents.pop_back();
    for (pid_t child : harness::ChildrenOf(parent)) {
      found.push_back(child);
      parents.push_back(child);
    }
  }
  return found;
}

// Waits until the fake that never returns runs below the supervisor.
std::optional<pid_t> WaitForHungCommand(pid_t supervisor, double seconds) {
  std::optional<pid_t> hung;
  harness::WaitUntil(
      [&] {
        for (pid_t pid : DescendantsOf(supervisor)) {
          if (harness::CommandLine(pid) == kNeverReturnsCommandLine) {
            hung = pid;
          }
        }
        return hung.has_value();
      },
      seconds);
  return hung;
}

pid_t GroupOf(pid_t pid) {
  harness::ProcessInfo info;
  return harness::ReadProcessInfo(pid, info) ? info.group : 0;
}

// The supervisor ends, killed by its deadline's SIGALRM, which it armed
// between `earliestArming` and `latestArming`: no sooner than the deadline
// after the one, no later than the deadline and the margin after the other.
// The hung command stays behind in the supervisor's process group, where
// launchd ends it with the rest of the job; here nothing else would, so it
// goes now.
void ExpectEndedByDeadline(const harness::Sandbox &sandbox, double earliestArming,
                           double latestArming, pid_t hung, pid_t group) {
  const std::optional<harness::SupervisorExit> end =
      sandbox.WaitForExit(latestArming + kHostCommandDeadline + kEndMargin - harness::Now());
  ASSERT_TRUE(end.has_value()) << "the supervisor still runs";
  EXPECT_EQ(end->status, 128 + SIGALRM) << "not ended by SIGALRM";
  EXPECT_GE(end->time - earliestArming, kHostCommandDeadline - 0.02);
  EXPECT_LE(end->time - latestArming, kHostCommandDeadline + kEndMargin);

  harness::ProcessInfo info;
  EXPECT_TRUE(harness::ReadProcessInfo(hung, info) && info.state != 'Z')
      << "the hung command is gone";
  EXPECT_EQ(info.group, group);
  kill(hung, SIGKILL);
}

TEST(Faults, AHungCommandEndsTheSupervisorUnsuccessfullyWithinTheDeadline) {
  // Two supervisors at once, each waiting out the whole deadline: one whose
  // start-up listing never returns...
  harness::Sandbox atStartUp;
  atStartUp.Fake("ls", kNeverReturns);
  // ...and one whose `ps` returns at the first tick, so that the agent is
  // relaunched, and never at the second. It is started by a shell that
  // ignores SIGALRM, which a child inherits unless it resets it.
  harness::SandboxOptions tickOptions;
  tickOptions.beforeSupervisor = "trap '' ALRM";
  harness::Sandbox atTick(tickOptions);
  const std::string psRan = atTick.Folder() + "/ps-ran";
  atTick.Fake("ps", "if [ -e " + psRan + " ]; then " + kNeverReturns + "; fi\n: >" + psRan +
                        "\nexec /usr/bin/ps \"$@\"");

  const pid_t startUpSupervisor = atStartUp.Start();
  ASSERT_NE(startUpSupervisor, 0);
  const pid_t tickSupervisor = atTick.Start();
  ASSERT_NE(tickSupervisor, 0);
  const pid_t startUpGroup = GroupOf(startUpSupervisor);
  const pid_t tickGroup = GroupOf(tickSupervisor);
  ASSERT_NE(startUpGroup, 0) << e2e::Account(atStartUp);
  ASSERT_NE(tickGroup, 0) << e2e::Account(atTick);

  // The hung commands, each in its supervisor's process group.
  const std::optional<pid_t> hungLs = WaitForHungCommand(startUpSupervisor, e2e::kStartUpSeconds);
  ASSERT_TRUE(hungLs.has_value()) << e2e::Account(atStartUp);
  EXPECT_EQ(GroupOf(*hungLs), startUpGroup);
  const std::optional<pid_t> hungPs =
      WaitForHungCommand(tickSupervisor, e2e::kStartUpSeconds + 2 * kTickPeriod);
  ASSERT_TRUE(hungPs.has_value()) << e2e::Account(atTick);
  EXPECT_EQ(GroupOf(*hungPs), tickGroup);
  ASSERT_EQ(atTick.Calls("ps").size(), 2U);
  // The agent the first tick relaunched is outside that group: launchd's
  // end of the job leaves it running.
  const std::vector<pid_t> agents = atTick.AgentPids();
  ASSERT_EQ(agents.size(), 1U);
  harness::ProcessInfo agent;
  ASSERT_TRUE(harness::ReadProcessInfo(agents[0], agent));
  EXPECT_NE(agent.group, tickGroup);

  // At start-up the deadline was armed after the sandbox started, and
  // before the listing was logged.
  {
    SCOPED_TRACE("an ls that never returns at start-up");
    ExpectEndedByDeadline(atStartUp, atStartUp.StartTime(), atStartUp.CallTimes("ls").at(0),
                          *hungLs, startUpGroup);
  }
  // At the second tick, no earlier than two periods after the start-up
  // listing, and before the tick's search was logged.
  {
    SCOPED_TRACE("a ps that never returns at a tick");
    ExpectEndedByDeadline(atTick, atTick.CallTimes("ls").at(0) + 2 * kTickPeriod,
                          atTick.CallTimes("ps").at(1), *hungPs, tickGroup);
  }
}

}  // namespace
