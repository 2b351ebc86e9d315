// open -g BUNDLE: this host's stand-in for macOS's launcher, enough for the
// supervisor's relaunch.
//
// Starts BUNDLE/Contents/MacOS/<bundle name without .app> in the background
// and returns at once. The application runs in a session of its own with
// /dev/null as input and no descriptors beyond 0 to 2, and it is nobody's
// child here: the caller never has to reap it. Like macOS's `open`, it starts
// no second instance: when a process already runs that executable file, it
// does nothing.

#include <dirent.h>
#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const char kSuffix[] = ".app";

int Usage() {
  std::fputs("usage: open -g BUNDLE.app\n", stderr);
  return 2;
}

int Fail(const std::string &message) {
  std::fprintf(stderr, "open: %s\n", message.c_str());
  return 1;
}

// The executable inside the bundle, or "" when the path names no bundle.
std::string ExecutableOf(std::string bundle) {
  while (bundle.size() > 1 && bundle.back() == '/') {
    bundle.pop_back();
  }
  const std::string base = bundle.substr(bundle.rfind('/') + 1);
  const std::size_t suffixLength = sizeof kSuffix - 1;
  if (base.size() <= suffixLength ||
      base.compare(base.size() - suffixLength, suffixLength, kSuffix) != 0) {
    return "";
  }
  return bundle + "/Contents/MacOS/" + base.substr(0, base.size() - suffixLength);
}

// Judged by the file each process runs, not by command lines, which any
// process can make up.
bool SomeProcessRuns(const struct stat &executable) {
  DIR *proc = opendir("/proc");
  if (proc == nullptr) {
    return false;
  }
  bool found = false;
  while (const dirent *entry = readdir(proc)) {
    if (entry->d_name[0] < '1' || entry->d_name[0] > '9') {
      continue;
    }
    struct stat running = {};
    const std::string link = std::string("/proc/") + entry->d_name + "/exe";
    if (stat(link.c_str(), &running) == 0 && running.st_dev == executable.st_dev &&
        running.st_ino == executable.st_ino) {
      found = true;
      break;
    }
  }
  closedir(proc);
  return found;
}

// In the grandchild: becomes the application, or reports why not.
[[noreturn]] void BecomeApplication(const std::string &executable, int errorPipe) {
  const int devNull = open("/dev/null", O_RDONLY);
  if (devNull < 0 || dup2(devNull, STDIN_FILENO) < 0) {
    const int error = errno;
    [[maybe_unused]] const ssize_t written = write(errorPipe, &error, sizeof error);
    _exit(127);
  }
  // Everything above 2 closes on exec, the error pipe included, so a
  // successful exec shows as end of file on the other side.
  if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    const long most = sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < most; ++fd) {
      fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
  }
  char *const argv[] = {const_cast<char *>(executable.c_str()), nullptr};
  execv(executable.c_str(), argv);
  const int error = errno;
  [[maybe_unused]] const ssize_t written = write(errorPipe, &error, sizeof error);
  _exit(127);
}

int Launch(const std::string &executable) {
  int errorPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0) {
    return Fail(std::string("cannot start: ") + std::strerror(errno));
  }
  const pid_t child = fork();
  if (child < 0) {
    return Fail(std::string("cannot start: ") + std::strerror(errno));
  }
  if (child == 0) {
    // The middle process leaves at once, so the application is handed to
    // the system's reaper and never becomes our caller's child or zombie.
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      setsid();
      BecomeApplication(executable, errorPipe[1]);
    }
    _exit(grandchild < 0 ? 127 : 0);
  }
  close(errorPipe[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int execError = 0;
  ssize_t got;
  while ((got = read(errorPipe[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
  }
  close(errorPipe[0]);
  if (got == static_cast<ssize_t>(sizeof execError)) {
    return Fail("cannot run " + executable + ": " + std::strerror(execError));
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return Fail("cannot start " + executable);
  }
  return 0;
}
}  // namespace

int main(int argc, char **argv) {
  if (argc != 3 || std::strcmp(argv[1], "-g") != 0 || argv[2][0] == '\0') {
    return Usage();
  }
  const std::string bundle = argv[2];
  const std::string executable = ExecutableOf(bundle);
  if (executable.empty()) {
    return Fail(bundle + ": not an application bundle (name.app)");
  }
  struct stat folder = {};
  if (stat(bundle.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
    return Fail(bundle + ": no such application bundle");
  }
  struct stat file = {};
  if (stat(executable.c_str(), &file) != 0 || !S_ISREG(file.st_mode) ||
      access(executable.c_str(), X_OK) != 0) {
    return Fail(executable + ": no executable in the bundle");
  }
  if (SomeProcessRuns(file)) {
    return 0;
  }
  return Launch(executable);
}
