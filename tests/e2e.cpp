#include "e2e.h"

#include <gtest/gtest.h>

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

std::optional<double> WaitUntilShrunk(const harness::Sandbox &sandbox, double seconds) {
  std::string window;
  const bool shrunk = harness::WaitUntil(
      [&] {
        if (window.empty()) {
          window = FindWindow(sandbox);
        }
        return !window.empty() && XSize(sandbox, window) == "1x1";
      },
      seconds);
  if (!shrunk) {
    return std::nullopt;
  }
  return harness::Now();
}

void ExpectFirstTickFiveSecondsAfterArming(double startListing, double shrunkSeen, double tick) {
  // Early: a timer never fires before it is due, and the spy logs the call
  // after the timer fired; the margin only absorbs rounding of the clocks.
  EXPECT_GE(tick - startListing, 5.0 - 0.02)
      << "the first tick came before five seconds had passed";
  // Late: a tick starts a shell that logs the call; on a loaded machine with
  // sanitizers that takes a good part of a second, never five.
  EXPECT_LE(tick - shrunkSeen, 5.0 + 1.0) << "the first tick came late";
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
