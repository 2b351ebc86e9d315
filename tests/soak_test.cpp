// The work of 2,000 ticks in one process, the agent running: nothing may be
// left behind, not a descriptor, a thread or a child. The path that
// relaunches is the real supervisor's in the crash-loop case
// (Faults.ACrashLoopingAgentIsRelaunchedEveryTickAndNothingLeaks), where
// every tick takes it.

#include <unistd.h>

#include "agent/check_app_exists.h"
#include "agent/restart_app.h"
#include "harness/proc_table.h"
#include "probe_fixture.h"

namespace {

constexpr int kTicks = 2000;

using SoakTest = ProbeTest;

TEST_F(SoakTest, TwoThousandTicksWithTheAgentRunning) {
  InstallAgent();
  Fake("open", "exit 0");  // relaunches go to a stand-in that exits at once
  Start({ExecutablePath()});
  const pid_t self = getpid();
  const int descriptors = harness::OpenDescriptorCount(self);
  const int threads = harness::ThreadCount(self);
  const std::vector<pid_t> children = harness::ChildrenOf(self);
  for (int tick = 0; tick < kTicks; ++tick) {
    ASSERT_TRUE(CheckAppExists(s_AppExeNamesArray[0])) << "tick " << tick;
    ReStartApp(s_AppExeNamesArray[0]);
  }
  EXPECT_EQ(harness::OpenDescriptorCount(self), descriptors);
  EXPECT_EQ(harness::ThreadCount(self), threads);
  EXPECT_EQ(harness::ChildrenOf(self), children);
}

}  // namespace
