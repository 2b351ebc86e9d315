// The work of 2,000 ticks in one process, the agent running: nothing may be
// left behind, not a descriptor, a thread or a child. The path that
// relaunches is the real supervisor's in the crash-loop case
// (Faults.ACrashLoopingAgentIsRelaunchedEveryTickAndNothingLeaks), where
// every tick takes it.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "agent/check_app_exists.h"
#include "agent/restart_app.h"
#include "harness/proc_table.h"
#include "probe_fixture.h"

namespace {

constexpr int kTicks = 2000;

class SoakTest : public ProbeTest {
 protected:
  void SetUp() override {
    ProbeTest::SetUp();
    InstallAgent();
    // Relaunches go to a stand-in that exits at once.
    Fake("open", "exit 0");
  }

  void RunTicksAndCompare() {
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
};

TEST_F(SoakTest, TwoThousandTicksWithTheAgentRunning) {
  const pid_t agent = harness::Spawn({ExecutablePath()});
  harness::WaitUntil([&] { return harness::CommandLine(agent) == ExecutablePath(); }, 5.0);
  RunTicksAndCompare();
  kill(agent, SIGKILL);
  waitpid(agent, nullptr, 0);
}

}  // namespace
