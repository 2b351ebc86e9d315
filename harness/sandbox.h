// The real supervisor, run on a private X server in a sandbox whose
// /Applications and process table are its own.
//
// The sandbox's folder holds the agent bundle (mounted as /Applications), a
// copy of the supervisor laid out as after an install, and spies for `ls`,
// `ps` and `open` that log each call with its time and then run the real
// command (or a fake put in place by the test). After the supervisor ends,
// the sandbox stays up, so what it leaves running can be looked at.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "harness/xvfb.h"

namespace harness {

struct SandboxOptions {
  bool installBundle = true;
  std::vector<std::string> arguments;  // for the supervisor
  std::vector<std::string> env;        // NAME=value, for everything in the sandbox
  bool agentRunning = false;           // started before the supervisor, as after a login
  std::string launcher;                // a program that execs the supervisor, e.g. python3 -c
};

struct LoggedCall {
  double time = 0;
  std::string command;    // ls, ps or open
  std::string arguments;  // as the command got them
};

struct SupervisorExit {
  int status = -1;
  double time = 0;
};

class Sandbox {
 public:
  explicit Sandbox(SandboxOptions options = {});
  ~Sandbox();
  Sandbox(const Sandbox &) = delete;
  Sandbox &operator=(const Sandbox &) = delete;

  // Starts the supervisor and waits until it runs; returns its pid.
  pid_t Start();

  // Host paths.
  const std::string &Folder() const { return folder_; }
  std::string AgentExecutable() const;  // inside the bundle
  std::string SupervisorExecutable() const;
  const std::string &Display() const { return xvfb_.display; }

  void RemoveBundle();
  // Puts a shell script in place of `command`; its spy still logs the call.
  void Fake(const std::string &command, const std::string &script);

  double StartTime() const { return startTime_; }
  std::vector<pid_t> AgentPids() const;  // processes running the bundle's file

  std::vector<LoggedCall> Calls(const std::string &command = "") const;
  std::vector<double> CallTimes(const std::string &command) const;
  std::optional<SupervisorExit> Exit() const;
  // Waits for the supervisor to end.
  std::optional<SupervisorExit> WaitForExit(double seconds) const;
  std::string Stderr() const;

 private:
  // Writes folder/command: logs the call, then runs the fake for it if the
  // test put one in place, or else `real`.
  void WriteSpy(const std::string &folder, const std::string &command, const std::string &real);

  SandboxOptions options_;
  Xvfb xvfb_;
  std::string folder_;
  pid_t bwrap_ = 0;
  double startTime_ = 0;
};

// Copies the sample agent to `executable`, making its folders.
void InstallSampleAgent(const std::string &executable);

// Where the build put things.
std::string BuiltOpenHelper();
std::string BuiltSampleAgent();

}  // namespace harness
