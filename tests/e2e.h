// Helpers for the end-to-end tests of the real supervisor in its sandbox.
#pragma once

#include <string>

#include "harness/sandbox.h"

namespace e2e {

// How long the tests wait for the supervisor's window. Start-up takes well
// under a second on an idle machine; under sanitizers, with the disk and
// both cores busy, it has taken over fifteen.
constexpr double kStartUpSeconds = 30.0;

// Waits for the supervisor's window (by its title) for the start-up's time;
// its id, or "" if it did not come.
std::string WaitForWindow(const harness::Sandbox &sandbox);

// "WxH" as the X server has the window.
std::string XSize(const harness::Sandbox &sandbox, const std::string &window);

// What the supervisor left to go by when a wait for it failed: whether and
// how it ended, and its standard error.
std::string Account(const harness::Sandbox &sandbox);

// Sends WM_DELETE_WINDOW, as a window manager does for a close request.
void CloseWindow(const harness::Sandbox &sandbox, const std::string &window);

}  // namespace e2e
