// What /proc says about processes, seen from the test's own namespace.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace harness {

struct ProcessInfo {
  pid_t pid = 0;
  pid_t parent = 0;
  pid_t group = 0;  // the process group
  pid_t session = 0;
  char state = '?';  // 'Z' for a zombie
};

bool ReadProcessInfo(pid_t pid, ProcessInfo &info);

// Processes that run this very file (compared by device and inode, so a copy
// elsewhere does not count), oldest first.
std::vector<pid_t> PidsRunning(const std::string &executable);

// Zombies among all processes we can see.
std::vector<pid_t> Zombies();

int OpenDescriptorCount(pid_t pid);
int OpenPipeCount(pid_t pid);
int ThreadCount(pid_t pid);
long ResidentKilobytes(pid_t pid);  // VmRSS
std::vector<pid_t> ChildrenOf(pid_t pid);
std::string CommandLine(pid_t pid);  // arguments joined by spaces
std::string StdinTarget(pid_t pid);  // where descriptor 0 points

// Processes in the same process namespace as `member` (a sandbox's).
std::vector<pid_t> PidsBesides(pid_t member);

// The lowest descriptor number that `pid` has free: with a descriptor limit
// of that number, the process cannot open anything more.
int LowestFreeDescriptor(pid_t pid);

}  // namespace harness
