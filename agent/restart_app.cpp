#include "agent/restart_app.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "agent/agent_table.h"
#include "agent/line_scan.h"

void ReStartApp(const char *name) {
  std::string command = "ps -ef | grep ";
  char bundlePath[kPathBufferSize];
  FormatBundlePath(name, bundlePath);
  char quotedExecutablePath[kPathBufferSize];
  FormatQuotedExecutablePath(bundlePath, name, quotedExecutablePath);
  command += quotedExecutablePath;

  FILE *listing = popen(command.c_str(), "r");
  if (listing == nullptr) {
    return;  // could not look: a relaunch now might start a second agent
  }
  // The search and the shell running the pipeline carry "grep" in their own
  // command lines; any other line is the agent.
  const bool running = FindPieceWithout(listing, "grep");
  // Closed before any relaunch, so the launcher never inherits the pipe.
  pclose(listing);
  if (running) {
    return;
  }

  std::string relaunch = "open -g ";
  relaunch += bundlePath;
  // A failed relaunch is simply tried again by the next call.
  [[maybe_unused]] const int ignored = std::system(relaunch.c_str());
}
