#include "e2e.h"

#include <sstream>

#include "harness/process.h"

namespace e2e {

namespace {
std::string OnDisplay(const harness::Sandbox &sandbox, const std::string &command) {
  return harness::Capture("DISPLAY=" + sandbox.Display() + " " + command + " 2>/dev/null");
}
}  // namespace

std::string WaitForWindow(const harness::Sandbox &sandbox) {
  std::string first;
  harness::WaitUntil(
      [&] {
        std::istringstream ids(OnDisplay(sandbox, "xdotool search --name '^12345$'"));
        return static_cast<bool>(ids >> first);
      },
      kStartUpSeconds);
  return first;
}

std::string XSize(const harness::Sandbox &sandbox, const std::string &window) {
  // "Geometry: WxH" among its lines.
  std::istringstream info(OnDisplay(sandbox, "xdotool getwindowgeometry " + window));
  std::string word;
  while (info >> word && word != "Geometry:") {
  }
  return info >> word ? word : "";
}

std::string Account(const harness::Sandbox &sandbox) {
  const std::optional<harness::SupervisorExit> exit = sandbox.Exit();
  const std::string state = exit
                                ? "the supervisor ended with status " + std::to_string(exit->status)
                                : "the supervisor still runs";
  return state + "; its standard error:\n" + sandbox.Stderr();
}

void CloseWindow(const harness::Sandbox &sandbox, const std::string &window) {
  OnDisplay(sandbox, std::string(CLOSE_WINDOW_TOOL) + " " + window);
}

}  // namespace e2e
