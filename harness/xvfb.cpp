#include "harness/xvfb.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

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
    // -noreset: the tests' queries connect and leave while the supervisor
    // starts; without it the server resets each time its last client
    // leaves, and a client connecting meanwhile finds no display.
    execlp("Xvfb", "Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "-screen", "0",
           "1024x768x24", static_cast<char *>(nullptr));
    _exit(127);
  }
  close(pipeFds[1]);
  // Xvfb may write the number and its newline separately; closing our end
  // before the newline would make its second write fail and end it.
  std::string number;
  char byte = 0;
  while (number.find('\n') == std::string::npos && read(pipeFds[0], &byte, 1) == 1) {
    number += byte;
  }
  close(pipeFds[0]);
  if (number.find('\n') == std::string::npos) {
    throw std::runtime_error("Xvfb did not start");
  }
  int value = 0;
  std::sscanf(number.c_str(), "%d", &value);
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
