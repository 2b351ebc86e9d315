// The probes pointed at a folder of the test's own instead of
// /Applications/Ravelstow, with a folder for fake commands at the front of
// PATH when a case cannot be made with the real ones.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "agent/agent_table.h"
#include "agent/check_app_exists.h"
#include "agent/restart_app.h"
#include "harness/proc_table.h"
#include "harness/process.h"
#include "harness/sandbox.h"

// The two probes on the agent's executable name, as a tick calls them.
inline bool Installed() { return CheckAppExists(s_AppExeNamesArray[0]); }
inline void Restart() { ReStartApp(s_AppExeNamesArray[0]); }

class ProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = harness::MakeTempFolder("quillmere-probe");
    savedFolder_ = s_AppsMainFolder;
    savedPath_ = std::getenv("PATH");
    std::snprintf(s_AppsMainFolder, sizeof s_AppsMainFolder, "%s/Ravelstow", folder_.c_str());
    harness::Capture("mkdir -p " + FakeFolder() + " " + folder_ + "/Ravelstow");
    setenv("PATH", (FakeFolder() + ":" + savedPath_).c_str(), 1);
  }

  void TearDown() override {
    for (pid_t pid : started_) {
      kill(-pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    setenv("PATH", savedPath_.c_str(), 1);
    std::snprintf(s_AppsMainFolder, sizeof s_AppsMainFolder, "%s", savedFolder_.c_str());
    harness::RemoveTree(folder_);
  }

  std::string BundlePath() const { return folder_ + "/Ravelstow/Quillmere.app"; }
  std::string ExecutablePath() const { return BundlePath() + "/Contents/MacOS/Quillmere"; }
  std::string FakeFolder() const { return folder_ + "/fake"; }
  std::string Folder() const { return folder_; }

  // Puts a copy of the sample agent in the bundle, as its executable.
  void InstallAgent() const { harness::InstallSampleAgent(ExecutablePath()); }

  // Starts a process, killed with its group at the end of the test, and
  // waits until it shows its own command line.
  pid_t Start(const std::vector<std::string> &argv) {
    const pid_t pid = harness::Spawn(argv);
    started_.push_back(pid);
    harness::WaitUntil([&] { return harness::CommandLine(pid) == Join(argv); }, 5.0);
    return pid;
  }

  // A shell script in place of a host command.
  void Fake(const std::string &command, const std::string &script) const {
    harness::WriteFile(FakeFolder() + "/" + command, "#!/bin/sh\n" + script + "\n", 0755);
  }

  // The install probe's answer on what a fake `ls` running `script` prints.
  bool InstalledPer(const std::string &script) const {
    Fake("ls", script);
    return Installed();
  }

 private:
  static std::string Join(const std::vector<std::string> &argv) {
    std::string line;
    for (const std::string &arg : argv) {
      line += (line.empty() ? "" : " ") + arg;
    }
    return line;
  }
  std::string folder_;
  std::string savedFolder_;
  std::string savedPath_;
  std::vector<pid_t> started_;
};
