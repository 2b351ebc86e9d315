// Helpers for the end-to-end tests of the real supervisor in its sandbox.
#pragma once

#include <string>

#include "harness/sandbox.h"

namespace e2e {

// The id of the supervisor's window (by its title), or "" if there is none.
std::string FindWindow(const harness::Sandbox &sandbox);

// Width and height as the X server has them, from xwininfo.
std::string XSize(const harness::Sandbox &sandbox, const std::string &window);

// Sends WM_DELETE_WINDOW, as a window manager does for a close request.
void CloseWindow(const harness::Sandbox &sandbox, const std::string &window);

}  // namespace e2e
