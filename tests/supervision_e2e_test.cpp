// The real supervisor at work, tick after tick, with a real sample agent.

#include <gtest/gtest.h>
#include <signal.h>

#include "e2e.h"
#include "harness/proc_table.h"
#include "harness/process.h"
#include "harness/sandbox.h"

namespace {

const char kRelaunchArguments[] = "-g /Applications/Ravelstow/Quillmere.app";

// Waits until the supervisor has made `count` listings (the start's and one
// per tick).
bool WaitForListings(const harness::Sandbox &sandbox, size_t count, double seconds) {
  return harness::WaitUntil([&] { return sandbox.CallTimes("ls").size() >= count; }, seconds);
}

TEST(Supervision, ARunningAgentIsLeftAloneTickAfterTick) {
  harness::SandboxOptions options;
  options.agentRunning = true;
  harness::Sandbox sandbox(options);
  ASSERT_NE(sandbox.Start(), 0);
  ASSERT_TRUE(harness::WaitUntil([&] { return sandbox.AgentPids().size() == 1; }, 5.0));
  const pid_t agent = sandbox.AgentPids()[0];

  // The first tick's time is the start-up tests' to check (StartUp.WithoutTheBundle...).
  ASSERT_TRUE(WaitForListings(sandbox, 4, e2e::kStartUpSeconds + 20.0)) << e2e::Account(sandbox);
  const std::vector<double> listings = sandbox.CallTimes("ls");
  // Ticks keep the five-second grid.
  EXPECT_NEAR(listings[2] - listings[1], 5.0, 0.3);
  EXPECT_NEAR(listings[3] - listings[2], 5.0, 0.3);

  harness::WaitUntil([&] { return sandbox.Calls("ps").size() >= 3; }, 2.0);
  const std::vector<harness::LoggedCall> searches = sandbox.Calls("ps");
  ASSERT_EQ(searches.size(), 3U);
  EXPECT_EQ(searches[0].arguments, "-ef");
  EXPECT_TRUE(sandbox.Calls("open").empty());
  EXPECT_EQ(sandbox.AgentPids(), std::vector<pid_t>{agent});
}

TEST(Supervision, AKilledAgentIsRelaunchedAndARemovedBundleEndsTheSupervisor) {
  harness::SandboxOptions options;
  options.agentRunning = true;
  harness::Sandbox sandbox(options);
  const pid_t supervisor = sandbox.Start();
  ASSERT_NE(supervisor, 0);
  ASSERT_TRUE(harness::WaitUntil([&] { return sandbox.AgentPids().size() == 1; }, 5.0));
  const pid_t first = sandbox.AgentPids()[0];

  ASSERT_TRUE(WaitForListings(sandbox, 2, 10.0));  // the first tick found it running
  const double killedAt = harness::Now();
  kill(first, SIGKILL);

  // The next tick relaunches it through `open -g`, detached from us.
  std::vector<pid_t> agents;
  ASSERT_TRUE(harness::WaitUntil(
      [&] {
        agents = sandbox.AgentPids();
        return agents.size() == 1 && agents[0] != first;
      },
      8.0));
  const std::vector<harness::LoggedCall> relaunches = sandbox.Calls("open");
  ASSERT_EQ(relaunches.size(), 1U);
  EXPECT_EQ(relaunches[0].arguments, kRelaunchArguments);
  // The kill came after the first tick, so the next is at most five seconds
  // off; its listing, search and launcher add up to well under the margin,
  // while a relaunch one tick late would be ten.
  EXPECT_LT(relaunches[0].time - killedAt, 5.0 + 1.5);
  harness::ProcessInfo agent;
  ASSERT_TRUE(harness::ReadProcessInfo(agents[0], agent));
  EXPECT_NE(agent.parent, supervisor);
  EXPECT_EQ(agent.session, agent.pid);

  // Uninstalled: the next tick ends the supervisor, the agent runs on.
  ASSERT_TRUE(WaitForListings(sandbox, 3, 6.0));
  sandbox.RemoveBundle();
  const double removedAt = harness::Now();
  const std::optional<harness::SupervisorExit> exit = sandbox.WaitForExit(7.0);
  ASSERT_TRUE(exit.has_value());
  EXPECT_EQ(exit->status, 0);
  EXPECT_LT(exit->time - removedAt, 5.0 + 1.5);
  EXPECT_EQ(sandbox.Calls("open").size(), 1U);
  harness::ProcessInfo still;
  EXPECT_TRUE(harness::ReadProcessInfo(agents[0], still) && still.state != 'Z')
      << "the agent did not survive the supervisor";
}

TEST(Supervision, AnOverrunTickSkipsTheMissedPeriods) {
  harness::Sandbox sandbox;
  // The first tick's listing takes 12 s. The schedule's own cases are in
  // tick_schedule_test.cpp; this shows the tick re-arms through it (FLTK
  // alone would fire at once, catching up).
  sandbox.Fake("ls",
               "n=$(( $(cat count 2>/dev/null || echo 0) + 1 )); echo $n > count; "
               "[ $n != 2 ] || sleep 12; exec /usr/bin/ls \"$@\"");
  ASSERT_NE(sandbox.Start(), 0);
  ASSERT_TRUE(WaitForListings(sandbox, 3, 30.0));
  const std::vector<double> ticks = sandbox.CallTimes("ls");
  EXPECT_NEAR(ticks[2] - ticks[1], 15.0, 0.3) << "12 s of work: the next tick 15 s after due";
}

}  // namespace
