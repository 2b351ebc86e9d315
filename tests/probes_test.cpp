// The install probe and the liveness probe through the real popen, shell,
// ls, ps and grep; fakes only where the real commands cannot produce a case.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "probe_fixture.h"

namespace {

// Bit of InChild's result: the probe ran a process. Page faults of waited-for
// children show it without a descriptor, which a starved child cannot open.
constexpr int kRanAProcess = 2;

// Runs `probe` in a child with only descriptors 0 to 2 open and, when
// `starved`, a descriptor limit that leaves no room for a pipe; returns the
// probe's result, plus kRanAProcess if it ran any process.
int InChild(int (*probe)(), bool starved) {
  const pid_t child = fork();
  if (child == 0) {
    for (int fd = 3; fd < 1024; ++fd) {
      close(fd);
    }
    if (starved) {
      const rlimit none = {3, 3};
      setrlimit(RLIMIT_NOFILE, &none);
    }
    const int result = probe();
    rusage children = {};
    getrusage(RUSAGE_CHILDREN, &children);
    _exit(result | (children.ru_minflt > 0 ? kRanAProcess : 0));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int InstalledAsExitCode() { return Installed() ? 1 : 0; }
int RestartAsExitCode() {
  Restart();
  return 0;
}

using CheckAppExistsTest = ProbeTest;

TEST_F(CheckAppExistsTest, JudgesRealListings) {
  EXPECT_FALSE(Installed()) << "missing path";

  harness::Capture("mkdir -p " + BundlePath() + "/Contents/MacOS");
  EXPECT_TRUE(Installed()) << "bundle folder";

  harness::RemoveTree(BundlePath());
  harness::WriteFile(BundlePath(), "not a folder\n");
  EXPECT_TRUE(Installed()) << "ordinary file";
}

TEST_F(CheckAppExistsTest, PassesOverLinesHoldingContents) {
  EXPECT_FALSE(InstalledPer("echo 'Contents'; echo 'drwxr-xr-x 3 root root 60 Contents'"));
  EXPECT_TRUE(InstalledPer("echo 'Contents'; echo 'total 0'"));
}

// Both probes read through one function (agent/line_scan.cpp): this case is
// the home of its piece rule for both.
TEST_F(CheckAppExistsTest, JudgesALongLineIn16382BytePieces) {
  // 16382 bytes including the newline: one piece, holding "Contents".
  EXPECT_FALSE(InstalledPer("printf 'Contents%16373s\\n' ''"));

  // One byte more: the newline is a piece of its own, without "Contents".
  EXPECT_TRUE(InstalledPer("printf 'Contents%16374s\\n' ''"));
}

TEST_F(CheckAppExistsTest, AnswersTrueWhenNoPipeCanBeOpened) {
  // The bundle is missing, so a look answers false.
  EXPECT_EQ(InChild(InstalledAsExitCode, false), kRanAProcess);
  EXPECT_EQ(InChild(InstalledAsExitCode, true), 1);
}

class ReStartAppTest : public ProbeTest {
 protected:
  void SetUp() override {
    ProbeTest::SetUp();
    InstallAgent();
    // The launcher records its arguments, and how many pipes this test
    // process held while it ran.
    Fake("open", "echo \"$*\" >> " + Folder() + "/open.log; ls -l /proc/" +
                     std::to_string(getpid()) + "/fd | grep -c pipe: > " + Folder() +
                     "/pipes-at-relaunch");
  }

  std::string Relaunches() const { return harness::ReadFile(Folder() + "/open.log"); }
  std::string ExpectedRelaunch() const { return "-g " + BundlePath() + "\n"; }
};

TEST_F(ReStartAppTest, RelaunchesOnlyWhenNoProcessCarriesTheExecutablePath) {
  // Nothing runs: only the search's own lines come back.
  Restart();
  EXPECT_EQ(Relaunches(), ExpectedRelaunch());

  // The agent itself.
  const pid_t agent = Start({ExecutablePath()});
  Restart();
  EXPECT_EQ(Relaunches(), ExpectedRelaunch()) << "relaunched although the agent runs";
  kill(agent, SIGKILL);
  waitpid(agent, nullptr, 0);

  // Any process with the path in its command line and no "grep" counts.
  Start({"sh", "-c", "sleep 30; :", ExecutablePath()});
  Restart();
  EXPECT_EQ(Relaunches(), ExpectedRelaunch());
}

// The probe's half; that `open` then starts the bundle's own copy all the
// same is the stand-in's (OpenHelperTest.ACopyRunningElsewhereDoesNotCount).
TEST_F(ReStartAppTest, AnAgentStartedFromElsewhereIsNotSeen) {
  const std::string elsewhere = Folder() + "/Quillmere";
  harness::Capture("cp " + harness::BuiltSampleAgent() + " " + elsewhere);
  Start({elsewhere});
  Restart();
  Restart();
  EXPECT_EQ(Relaunches(), ExpectedRelaunch() + ExpectedRelaunch());
}

TEST_F(ReStartAppTest, EmptyListingLeadsToARelaunch) {
  Fake("ps", "exit 0");
  Restart();
  EXPECT_EQ(Relaunches(), ExpectedRelaunch());
}

TEST_F(ReStartAppTest, RelaunchComesOnlyAfterTheListingPipeIsClosed) {
  const int pipesNow = harness::OpenPipeCount(getpid());
  Restart();
  // No relaunch leaves no count, and fails here too.
  EXPECT_EQ(harness::ReadFile(Folder() + "/pipes-at-relaunch"), std::to_string(pipesNow) + "\n");
}

TEST_F(ReStartAppTest, StartsNothingWhenNoPipeCanBeOpened) {
  EXPECT_EQ(InChild(RestartAsExitCode, true), 0) << "ran a process without a look";
  // Not starved, the same child looks, finds no agent and relaunches.
  EXPECT_EQ(InChild(RestartAsExitCode, false), kRanAProcess);
  EXPECT_EQ(Relaunches(), ExpectedRelaunch());
}

}  // namespace
