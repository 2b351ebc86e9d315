#include "harness/proc_table.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "harness/process.h"

namespace harness {

namespace {
std::string ProcPath(pid_t pid, const char *leaf) {
  return "/proc/" + std::to_string(pid) + "/" + leaf;
}

std::vector<std::string> Entries(const std::string &folder) {
  std::vector<std::string> names;
  DIR *dir = opendir(folder.c_str());
  if (dir == nullptr) {
    return names;
  }
  while (const dirent *entry = readdir(dir)) {
    if (entry->d_name[0] != '.') {
      names.emplace_back(entry->d_name);
    }
  }
  closedir(dir);
  return names;
}

// Where a symbolic link points, or "" when it cannot be read.
std::string LinkTarget(const std::string &link) {
  char target[PATH_MAX] = {};
  const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
  return length > 0 ? std::string(target, static_cast<size_t>(length)) : "";
}

std::string StatusField(pid_t pid, const char *field) {
  const std::string status = ReadFile(ProcPath(pid, "status"));
  const std::string key = std::string("\n") + field + ":";
  const std::string::size_type at = status.find(key);
  if (at == std::string::npos) {
    return "";
  }
  const std::string::size_type end = status.find('\n', at + 1);
  return status.substr(at + key.size(), end - at - key.size());
}

std::vector<pid_t> AllPids() {
  std::vector<pid_t> pids;
  for (const std::string &name : Entries("/proc")) {
    if (name.find_first_not_of("0123456789") == std::string::npos) {
      pids.push_back(static_cast<pid_t>(std::atoi(name.c_str())));
    }
  }
  std::sort(pids.begin(), pids.end());
  return pids;
}

// The processes for which `wanted` holds.
std::vector<pid_t> PidsWhere(const std::function<bool(const ProcessInfo &)> &wanted) {
  std::vector<pid_t> pids;
  for (pid_t pid : AllPids()) {
    ProcessInfo info;
    if (ReadProcessInfo(pid, info) && wanted(info)) {
      pids.push_back(pid);
    }
  }
  return pids;
}
}  // namespace

bool ReadProcessInfo(pid_t pid, ProcessInfo &info) {
  const std::string stat = ReadFile(ProcPath(pid, "stat"));
  // The command name is in parentheses and may hold spaces: read after it.
  const std::string::size_type close = stat.rfind(')');
  info.pid = pid;
  return close != std::string::npos &&
         std::sscanf(stat.c_str() + close + 1, " %c %d %d %d", &info.state, &info.parent,
                     &info.group, &info.session) == 4;
}

std::vector<pid_t> PidsRunning(const std::string &executable) {
  std::vector<pid_t> pids;
  struct stat wanted = {};
  if (stat(executable.c_str(), &wanted) != 0) {
    return pids;
  }
  for (pid_t pid : AllPids()) {
    struct stat running = {};
    if (stat(ProcPath(pid, "exe").c_str(), &running) == 0 && running.st_dev == wanted.st_dev &&
        running.st_ino == wanted.st_ino) {
      pids.push_back(pid);
    }
  }
  return pids;
}

std::vector<pid_t> Zombies() {
  return PidsWhere([](const ProcessInfo &info) { return info.state == 'Z'; });
}

int OpenDescriptorCount(pid_t pid) { return static_cast<int>(Entries(ProcPath(pid, "fd")).size()); }

int OpenPipeCount(pid_t pid) {
  int pipes = 0;
  for (const std::string &fd : Entries(ProcPath(pid, "fd"))) {
    if (LinkTarget(ProcPath(pid, "fd/") + fd).rfind("pipe:", 0) == 0) {
      ++pipes;
    }
  }
  return pipes;
}

int ThreadCount(pid_t pid) { return std::atoi(StatusField(pid, "Threads").c_str()); }

long ResidentKilobytes(pid_t pid) { return std::atol(StatusField(pid, "VmRSS").c_str()); }

std::vector<pid_t> ChildrenOf(pid_t pid) {
  return PidsWhere([pid](const ProcessInfo &info) { return info.parent == pid; });
}

std::string CommandLine(pid_t pid) {
  std::string line = ReadFile(ProcPath(pid, "cmdline"));
  std::replace(line.begin(), line.end(), '\0', ' ');
  while (!line.empty() && line.back() == ' ') {
    line.pop_back();
  }
  return line;
}

std::string StdinTarget(pid_t pid) { return LinkTarget(ProcPath(pid, "fd/0")); }

std::vector<pid_t> PidsBesides(pid_t member) {
  std::vector<pid_t> pids;
  const std::string wanted = LinkTarget(ProcPath(member, "ns/pid"));
  for (pid_t pid : AllPids()) {
    if (!wanted.empty() && LinkTarget(ProcPath(pid, "ns/pid")) == wanted) {
      pids.push_back(pid);
    }
  }
  return pids;
}

int LowestFreeDescriptor(pid_t pid) {
  int fd = 0;
  struct stat unused = {};
  while (lstat((ProcPath(pid, "fd/") + std::to_string(fd)).c_str(), &unused) == 0) {
    ++fd;
  }
  return fd;
}

}  // namespace harness
