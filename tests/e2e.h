// Helpers for the end-to-end tests of the real supervisor in its sandbox.
#pragma once

#include <optional>
#include <string>

#include "harness/sandbox.h"

namespace e2e {

// How long the tests wait for the supervisor's window. Start-up takes well
// under a second on an idle machine; under sanitizers, with the disk and
// both cores busy, it has taken over fifteen.
constexpr double kStartUpSeconds = 30.0;

// The id of the supervisor's window (by its title), or "" if there is none.
std::string FindWindow(const harness::Sandbox &sandbox);

// Width and height as the X server has them, from xwininfo.
std::string XSize(const harness::Sandbox &sandbox, const std::string &window);

// Waits until the supervisor's window is seen shrunk on the X server and
// returns when that was. The supervisor arms its first tick right after it
// shrinks the window, so this moment comes after the arming, give or take
// the few microseconds between the two steps.
std::optional<double> WaitUntilShrunk(const harness::Sandbox &sandbox, double seconds);

// Checks that the first tick, whose listing was logged at `tick`, came five
// seconds after the supervisor armed it. The arming is known to lie between
// the start-up's listing (it comes later) and the moment the window was seen
// shrunk (it came before), so the bounds hold however long start-up took.
void ExpectFirstTickFiveSecondsAfterArming(double startListing, double shrunkSeen, double tick);

// What the supervisor left to go by when a wait for it failed: whether and
// how it ended, and its standard error.
std::string Account(const harness::Sandbox &sandbox);

// Sends WM_DELETE_WINDOW, as a window manager does for a close request.
void CloseWindow(const harness::Sandbox &sandbox, const std::string &window);

}  // namespace e2e
