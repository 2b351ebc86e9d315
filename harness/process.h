// Starting and watching processes for the tests, the guided run and the
// benchmark.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace harness {

struct SpawnOptions {
  std::vector<std::string> env;  // NAME=value entries added to ours
  std::string stderrFile;        // emptied first; empty: inherit
};

// Starts argv[0] (looked up on PATH) in a process group of its own and
// returns its pid (which is also the group's id).
pid_t Spawn(const std::vector<std::string> &argv, const SpawnOptions &options = {});

// Waits up to `seconds` for the child to end; its wait status, or nothing.
std::optional<int> WaitFor(pid_t child, double seconds);

// Runs a shell command to its end and returns what it printed.
std::string Capture(const std::string &command);

// Seconds on the wall clock (the same clock as `date +%s.%N`).
double Now();

// Polls `ready` every 20 ms until it holds or `seconds` pass.
bool WaitUntil(const std::function<bool()> &ready, double seconds);

// Lets `seconds` pass.
void Pause(double seconds);

std::string ReadFile(const std::string &path);
void WriteFile(const std::string &path, const std::string &text, mode_t mode = 0644);

// A fresh folder under /tmp, removed by RemoveTree.
std::string MakeTempFolder(const std::string &stem);
void RemoveTree(const std::string &path);

}  // namespace harness
