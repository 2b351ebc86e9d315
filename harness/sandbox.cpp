#include "harness/sandbox.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "harness/proc_table.h"
#include "harness/process.h"

namespace harness {

std::string BuiltOpenHelper() { return HARNESS_OPEN_HELPER; }
std::string BuiltSampleAgent() { return HARNESS_SAMPLE_AGENT; }

namespace {
const char kBundleFolder[] = "/Applications/Ravelstow/Quillmere.app";
const char kAgentInBundle[] = "/Contents/MacOS/Quillmere";

void Run(const std::string &command) {
  if (std::system(command.c_str()) != 0) {
    throw std::runtime_error("failed: " + command);
  }
}
}  // namespace

Sandbox::Sandbox(SandboxOptions options)
    : options_(std::move(options)), folder_(MakeTempFolder("quillmere-sandbox")) {
  Run("mkdir -p " + folder_ + "/Applications " + folder_ + "/prefix/bin " + folder_ +
      "/prefix/libexec/quillmere-watchdog " + folder_ + "/spy " + folder_ + "/fake " + folder_ +
      "/log");
  Run("cp " HARNESS_SUPERVISOR " " + SupervisorExecutable());
  Run("cp " + BuiltOpenHelper() + " " + folder_ + "/prefix/libexec/real-open");
  // The supervisor finds its `open` beside itself; the spy there hands each
  // relaunch to the real helper.
  WriteSpy(folder_ + "/prefix/libexec/quillmere-watchdog", "open",
           folder_ + "/prefix/libexec/real-open");
  for (const char *command : {"ls", "ps"}) {
    WriteSpy(folder_ + "/spy", command, std::string("/usr/bin/") + command);
  }
  if (options_.installBundle) {
    InstallSampleAgent(AgentExecutable());
  }
}

Sandbox::~Sandbox() {
  if (bwrap_ > 0) {
    // Killing bwrap ends the sandbox's first process and with it every
    // process of the sandbox.
    kill(bwrap_, SIGKILL);
    waitpid(bwrap_, nullptr, 0);
    WaitUntil([&] { return PidsRunning(AgentExecutable()).empty(); }, 5.0);
  }
  RemoveTree(folder_);
}

void Sandbox::WriteSpy(const std::string &folder, const std::string &command,
                       const std::string &real) {
  const std::string fake = folder_ + "/fake/" + command;
  WriteFile(folder + "/" + command,
            "#!/bin/sh\nprintf '%s " + command + " %s\\n' \"$(date +%s.%N)\" \"$*\" >> " + folder_ +
                "/log/calls\nif [ -x " + fake + " ]; then exec " + fake + " \"$@\"; fi\nexec " +
                real + " \"$@\"\n",
            0755);
}

std::string Sandbox::AgentExecutable() const { return folder_ + kBundleFolder + kAgentInBundle; }

std::string Sandbox::SupervisorExecutable() const {
  return folder_ + "/prefix/bin/quillmere-watchdog";
}

void InstallSampleAgent(const std::string &executable) {
  Run("mkdir -p \"$(dirname " + executable + ")\" && cp " + BuiltSampleAgent() + " " + executable);
}

void Sandbox::RemoveBundle() { Run("rm -rf " + folder_ + kBundleFolder); }

void Sandbox::Fake(const std::string &command, const std::string &script) {
  WriteFile(folder_ + "/fake/" + command, "#!/bin/sh\n" + script + "\n", 0755);
}

pid_t Sandbox::Start() {
  const std::string agent =
      options_.agentRunning ? std::string(kBundleFolder) + kAgentInBundle + " &" : "";
  // Run in the sandbox's folder; it stays up after the supervisor, so that
  // what the supervisor left running can be seen.
  WriteFile(folder_ + "/run",
            "#!/bin/sh\n" + agent + "\n" + options_.launcher + " " + SupervisorExecutable() +
                " \"$@\" >>log/stdout 2>>log/stderr\n"
                "echo \"$? $(date +%s.%N)\" >log/exit.partial && mv log/exit.partial log/exit\n"
                "exec sleep infinity\n",
            0755);
  std::vector<std::string> argv = {"bwrap", "--bind", "/",      "/",     "--dev-bind",
                                   "/dev",  "/dev",   "--proc", "/proc", "--unshare-pid"};
  argv.insert(argv.end(), {"--bind", folder_ + "/Applications", "/Applications",
                           "--die-with-parent", "--chdir", folder_, "--", "/bin/sh", "run"});
  argv.insert(argv.end(), options_.arguments.begin(), options_.arguments.end());
  SpawnOptions spawn;
  spawn.env = {"PATH=" + folder_ + "/spy:/usr/bin:/bin", "DISPLAY=" + xvfb_.display};
  spawn.env.insert(spawn.env.end(), options_.env.begin(), options_.env.end());
  startTime_ = Now();
  bwrap_ = Spawn(argv, spawn);
  pid_t supervisor = 0;
  WaitUntil(
      [&] {
        const std::vector<pid_t> pids = PidsRunning(SupervisorExecutable());
        supervisor = pids.empty() ? 0 : pids.front();
        return supervisor != 0 || Exit().has_value();
      },
      10.0);
  if (supervisor == 0) {
    const std::optional<SupervisorExit> exit = Exit();
    std::fprintf(stderr,
                 "sandbox: the supervisor is not running (exit status %d); its stderr:\n%s\n",
                 exit ? exit->status : -1, Stderr().c_str());
  }
  return supervisor;
}

std::vector<pid_t> Sandbox::AgentPids() const { return PidsRunning(AgentExecutable()); }

std::vector<LoggedCall> Sandbox::Calls(const std::string &command) const {
  std::vector<LoggedCall> calls;
  std::istringstream lines(ReadFile(folder_ + "/log/calls"));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    LoggedCall call;
    fields >> call.time >> call.command;
    std::getline(fields >> std::ws, call.arguments);
    if (command.empty() || call.command == command) {
      calls.push_back(call);
    }
  }
  return calls;
}

std::vector<double> Sandbox::CallTimes(const std::string &command) const {
  std::vector<double> times;
  for (const LoggedCall &call : Calls(command)) {
    times.push_back(call.time);
  }
  return times;
}

std::optional<SupervisorExit> Sandbox::Exit() const {
  const std::string text = ReadFile(folder_ + "/log/exit");
  SupervisorExit result;
  if (std::sscanf(text.c_str(), "%d %lf", &result.status, &result.time) != 2) {
    return std::nullopt;
  }
  return result;
}

std::optional<SupervisorExit> Sandbox::WaitForExit(double seconds) const {
  WaitUntil([&] { return Exit().has_value(); }, seconds);
  return Exit();
}

std::string Sandbox::Stderr() const { return ReadFile(folder_ + "/log/stderr"); }

}  // namespace harness
