#include "harness/process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace harness {

pid_t Spawn(const std::vector<std::string> &argv, const SpawnOptions &options) {
  std::vector<std::string> env;
  for (char **entry = environ; *entry != nullptr; ++entry) {
    env.emplace_back(*entry);
  }
  env.insert(env.end(), options.env.begin(), options.env.end());
  // Built before fork: the child only execs.
  const auto pointers = [](const std::vector<std::string> &strings) {
    std::vector<char *> result;
    result.reserve(strings.size() + 1);
    for (const std::string &text : strings) {
      result.push_back(const_cast<char *>(text.c_str()));
    }
    result.push_back(nullptr);
    return result;
  };
  std::vector<char *> args = pointers(argv);
  std::vector<char *> envp = pointers(env);

  const pid_t child = fork();
  if (child < 0) {
    throw std::runtime_error("fork failed");
  }
  if (child == 0) {
    setpgid(0, 0);
    const int errors =
        options.stderrFile.empty()
            ? -1
            : open(options.stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (errors >= 0) {
      dup2(errors, STDERR_FILENO);
    }
    execvpe(args[0], args.data(), envp.data());
    std::perror(args[0]);
    _exit(127);
  }
  return child;
}

std::optional<int> WaitFor(pid_t child, double seconds) {
  std::optional<int> result;
  WaitUntil(
      [&] {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
          result = status;
        }
        return result.has_value();
      },
      seconds);
  return result;
}

std::string Capture(const std::string &command) {
  std::string text;
  FILE *pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return text;
  }
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    text.append(buffer, got);
  }
  pclose(pipe);
  return text;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

bool WaitUntil(const std::function<bool()> &ready, double seconds) {
  const double end = Now() + seconds;
  while (!ready()) {
    if (Now() > end) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void Pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string &path, const std::string &text, mode_t mode) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
  }
  chmod(path.c_str(), mode);
}

std::string MakeTempFolder(const std::string &stem) {
  std::string pattern = "/tmp/" + stem + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  return pattern;
}

void RemoveTree(const std::string &path) {
  if (!path.empty()) {
    Capture("rm -rf '" + path + "'");
  }
}

}  // namespace harness
