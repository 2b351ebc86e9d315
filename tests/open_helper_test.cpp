// The stand-in for macOS's `open -g`, run for real.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "harness/proc_table.h"
#include "harness/process.h"
#include "harness/sandbox.h"

namespace {

class OpenHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = harness::MakeTempFolder("quillmere-open");
    harness::InstallSampleAgent(Executable());
  }
  void TearDown() override {
    for (pid_t pid : harness::PidsRunning(Executable())) {
      kill(pid, SIGKILL);
    }
    harness::RemoveTree(folder_);
  }

  std::string Bundle() const { return folder_ + "/Agent.app"; }
  std::string Executable() const { return Bundle() + "/Contents/MacOS/Agent"; }

  // Runs the helper; its status, with what it wrote on standard error.
  int Open(const std::vector<std::string> &arguments, std::string *errors = nullptr) const {
    std::vector<std::string> argv = {harness::BuiltOpenHelper()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    harness::SpawnOptions options;
    options.stderrFile = folder_ + "/stderr";
    const std::optional<int> status = harness::WaitFor(harness::Spawn(argv, options), 10.0);
    if (errors != nullptr) {
      *errors = harness::ReadFile(options.stderrFile);
    }
    return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
  }

  std::string folder_;
};

TEST_F(OpenHelperTest, StartsTheBundlesExecutableDetachedAndOnlyOnce) {
  // A descriptor the caller leaves open must not reach the application.
  int leak[2];
  ASSERT_EQ(pipe(leak), 0);

  ASSERT_EQ(Open({"-g", Bundle()}), 0);
  std::vector<pid_t> agents;
  ASSERT_TRUE(harness::WaitUntil(
      [&] { return !(agents = harness::PidsRunning(Executable())).empty(); }, 5.0));
  ASSERT_EQ(agents.size(), 1U);
  harness::ProcessInfo agent;
  ASSERT_TRUE(harness::ReadProcessInfo(agents[0], agent));
  EXPECT_NE(agent.parent, getpid());
  EXPECT_EQ(agent.session, agent.pid) << "not in a session of its own";
  EXPECT_EQ(harness::StdinTarget(agent.pid), "/dev/null");
  EXPECT_EQ(harness::OpenDescriptorCount(agent.pid), 3);
  EXPECT_EQ(harness::CommandLine(agent.pid), Executable());
  close(leak[0]);
  close(leak[1]);

  // Already running: nothing more is started, and that is no error.
  EXPECT_EQ(Open({"-g", Bundle() + "/"}), 0);
  EXPECT_EQ(harness::PidsRunning(Executable()), agents);

  // Once it is gone, it is not left as anybody's zombie of ours.
  kill(agents[0], SIGKILL);
  EXPECT_TRUE(harness::WaitUntil([&] { return harness::PidsRunning(Executable()).empty(); }, 5.0));
  EXPECT_TRUE(harness::ChildrenOf(getpid()).empty());
}

TEST_F(OpenHelperTest, ACopyRunningElsewhereDoesNotCount) {
  const std::string copy = folder_ + "/Agent";
  harness::Capture("cp " + Executable() + " " + copy);
  const pid_t other = harness::Spawn({copy});
  EXPECT_EQ(Open({"-g", Bundle()}), 0);
  EXPECT_TRUE(
      harness::WaitUntil([&] { return harness::PidsRunning(Executable()).size() == 1; }, 5.0));
  kill(other, SIGKILL);
  waitpid(other, nullptr, 0);
}

TEST_F(OpenHelperTest, RefusesWhatItCannotStartWithOneLine) {
  std::string errors;
  EXPECT_NE(Open({"-g", folder_ + "/Missing.app"}, &errors), 0);
  EXPECT_EQ(errors, "open: " + folder_ + "/Missing.app: no such application bundle\n");

  harness::Capture("rm " + Executable());
  EXPECT_NE(Open({"-g", Bundle()}, &errors), 0);
  EXPECT_EQ(errors, "open: " + Executable() + ": no executable in the bundle\n");

  harness::WriteFile(Executable(), "#!/nonexistent/interpreter\n", 0755);
  EXPECT_NE(Open({"-g", Bundle()}, &errors), 0);
  EXPECT_EQ(errors.rfind("open: cannot run " + Executable() + ": ", 0), 0U) << errors;

  EXPECT_EQ(Open({Bundle()}, &errors), 2);
  EXPECT_EQ(errors, "usage: open -g BUNDLE.app\n");
  EXPECT_NE(Open({"-g", folder_}, &errors), 0);
  EXPECT_NE(errors.find("not an application bundle"), std::string::npos);
}

}  // namespace
