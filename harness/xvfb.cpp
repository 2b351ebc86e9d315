#include "harness/xvfb.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "harness/process.h"

namespace harness {

Xvfb::Xvfb() {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    throw std::runtime_error("pipe failed");
  }
  pid = fork();
  if (pid == 0) {
    // Xvfb writes the display number it took on descriptor 3.
    dup2(pipeFds[1], 3);
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0) {
      dup2(quiet, STDERR_FILENO);
    }
    execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1024x768x24",
           static_cast<char *>(nullptr));
    _exit(127);
  }
  close(pipeFds[1]);
  char number[32] = {};
  const ssize_t got = read(pipeFds[0], number, sizeof number - 1);
  close(pipeFds[0]);
  if (got <= 0) {
    throw std::runtime_error("Xvfb did not start");
  }
  int value = 0;
  std::sscanf(number, "%d", &value);
  display = ":" + std::to_string(value);
}

Xvfb::~Xvfb() {
  if (pid > 0) {
    kill(pid, SIGTERM);
    if (!WaitFor(pid, 5.0)) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
}

}  // namespace harness
