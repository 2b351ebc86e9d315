// The real supervisor kept running while things around it fail.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <set>

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

}  // namespace
