#include "e2e.h"

#include <sstream>

#include "harness/process.h"

namespace e2e {

namespace {
std::string OnDisplay(const harness::Sandbox &sandbox, const std::string &command) {
  return harness::Capture("DISPLAY=" + sandbox.Display() + " " + command + " 2>/dev/null");
}
}  // namespace

std::string FindWindow(const harness::Sandbox &sandbox) {
  std::istringstream ids(OnDisplay(sandbox, "xdotool search --name '^12345$'"));
  std::string first;
  ids >> first;
  return first;
}

std::string XSize(const harness::Sandbox &sandbox, const std::string &window) {
  std::istringstream info(OnDisplay(sandbox, "xwininfo -id " + window));
  std::string line;
  std::string width;
  std::string height;
  while (std::getline(info, line)) {
    std::istringstream words(line);
    std::string key;
    std::string value;
    words >> key >> value;
    if (key == "Width:") {
      width = value;
    } else if (key == "Height:") {
      height = value;
    }
  }
  return width + "x" + height;
}

void CloseWindow(const harness::Sandbox &sandbox, const std::string &window) {
  OnDisplay(sandbox, std::string(CLOSE_WINDOW_TOOL) + " " + window);
}

}  // namespace e2e
