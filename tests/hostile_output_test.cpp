// The probes fed output far beyond anything a listing normally prints:
// memory stays flat, nothing hangs, and reading stops where the answer is
// known. The piece rule itself is the probe tests' (probes_test.cpp).

#include <sys/resource.h>

#include <algorithm>

#include "probe_fixture.h"

namespace {

long PeakResidentKilobytes() {
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

class HostileOutputTest : public ProbeTest {
 protected:
  void SetUp() override {
    ProbeTest::SetUp();
    Fake("open", "echo relaunch >> " + Folder() + "/open.log");
    // Warm up: the first popen maps what it needs once.
    Installed();
    peakBefore_ = PeakResidentKilobytes();
  }
  void TearDown() override {
    // Far below the sizes fed in: the output is never held whole.
    EXPECT_LT(PeakResidentKilobytes() - peakBefore_, 2048);
    ProbeTest::TearDown();
  }
  size_t Relaunches() const {
    const std::string log = harness::ReadFile(Folder() + "/open.log");
    return static_cast<size_t>(std::count(log.begin(), log.end(), '\n'));
  }

 private:
  long peakBefore_ = 0;
};

TEST_F(HostileOutputTest, ListingWithA50MegabyteLine) {
  // Every piece holds "Contents": read to the end, answer false.
  EXPECT_FALSE(InstalledPer("yes Contents | tr -d '\\n' | head -c 52428800; echo"));
  // The first piece decides: the writer is cut off, the call returns.
  EXPECT_TRUE(InstalledPer("yes x | tr -d '\\n' | head -c 52428800; echo"));
}

TEST_F(HostileOutputTest, ListingWith200000Lines) {
  const std::string lines = "yes 'drwxr-xr-x 3 root root 60 Contents' | head -n 200000";
  EXPECT_FALSE(InstalledPer(lines));
  EXPECT_TRUE(InstalledPer(lines + "; echo 'total 0'"));
}

TEST_F(HostileOutputTest, ProcessListingWith200000LinesAndTheAgentLast) {
  const std::string grepLines = "yes \"root 7 1 grep " + ExecutablePath() + "\" | head -n ";
  const std::string agentLine = "echo \"root 8 1 " + ExecutablePath() + "\"";
  Fake("ps", grepLines + "199999; " + agentLine);
  Restart();
  EXPECT_EQ(Relaunches(), 0U);
  // Killed half way, before the agent's line: the output ends with only
  // "grep" lines, so a relaunch is asked for.
  Fake("ps", grepLines + "100000; kill -KILL $$; " + agentLine);
  Restart();
  EXPECT_EQ(Relaunches(), 1U);
}

}  // namespace
