#include "agent/check_app_exists.h"

#include <cstdio>
#include <string>

#include "agent/agent_table.h"
#include "agent/line_scan.h"

bool CheckAppExists(const char *name) {
  std::string command = "ls -l ";
  char bundlePath[kPathBufferSize];
  FormatBundlePath(name, bundlePath);
  // Unquoted: the table's folder and name hold no spaces.
  command += bundlePath;

  FILE *listing = popen(command.c_str(), "r");
  if (listing == nullptr) {
    return true;  // could not look, which must not end the supervisor
  }
  const bool installed = FindPieceWithout(listing, "Contents");
  pclose(listing);
  return installed;
}
