// The real supervisor starting up on a private X server, with and without
// the agent's bundle.

#include <gtest/gtest.h>

#include <optional>

#include "e2e.h"
#include "harness/process.h"

namespace {

// Waits for the supervisor's window and, for three seconds, until the X
// server has it shrunk (FLTK reports 0x0; the X server keeps the window at
// its least, 1x1); its id, or "". The supervisor arms its first tick right
// after it shrinks the window, so the return comes after the arming, give or
// take the few microseconds between the two steps.
std::string WaitUntilShrunk(const harness::Sandbox &sandbox) {
  const std::string window = e2e::WaitForWindow(sandbox);
  const bool shrunk = !window.empty() &&
                      harness::WaitUntil([&] { return e2e::XSize(sandbox, window) == "1x1"; }, 3.0);
  return shrunk ? window : "";
}

TEST(StartUp, WindowIsShrunkWhateverTheGeometryAndClosingEndsWithStatusZero) {
  harness::SandboxOptions options;
  options.arguments = {"-geometry", "800x600"};
  harness::Sandbox sandbox(options);
  ASSERT_NE(sandbox.Start(), 0);
  const std::string window = WaitUntilShrunk(sandbox);
  ASSERT_NE(window, "") << e2e::Account(sandbox);

  // The install probe ran once, at start, on the bundle path.
  const std::vector<harness::LoggedCall> listings = sandbox.Calls("ls");
  ASSERT_EQ(listings.size(), 1U);
  EXPECT_EQ(listings[0].arguments, "-l /Applications/Ravelstow/Quillmere.app");

  e2e::CloseWindow(sandbox, window);
  const std::optional<harness::SupervisorExit> exit = sandbox.WaitForExit(5.0);
  ASSERT_TRUE(exit.has_value()) << "still running after WM_DELETE_WINDOW";
  EXPECT_EQ(exit->status, 0);
  EXPECT_EQ(sandbox.Stderr(), "");
}

TEST(StartUp, AnUnknownOptionPrintsTheToolkitsSummaryAndStartUpGoesOn) {
  harness::SandboxOptions options;
  options.arguments = {"--no-such-option"};
  harness::Sandbox sandbox(options);
  ASSERT_NE(sandbox.Start(), 0);

  EXPECT_NE(WaitUntilShrunk(sandbox), "") << e2e::Account(sandbox);
  const std::string errors = sandbox.Stderr();
  EXPECT_NE(errors.find("options are:\n"), std::string::npos) << errors;
  EXPECT_NE(errors.find(" -g[eometry] WxH+X+Y\n"), std::string::npos) << errors;
  EXPECT_FALSE(sandbox.Exit().has_value());
}

TEST(StartUp, WithoutTheBundleTheFirstTickEndsTheSupervisorWithStatusZero) {
  harness::SandboxOptions options;
  options.installBundle = false;
  harness::Sandbox sandbox(options);
  ASSERT_NE(sandbox.Start(), 0);
  ASSERT_NE(WaitUntilShrunk(sandbox), "") << e2e::Account(sandbox);
  const double shrunk = harness::Now();

  const std::optional<harness::SupervisorExit> exit = sandbox.WaitForExit(10.0);
  ASSERT_TRUE(exit.has_value());
  EXPECT_EQ(exit->status, 0);
  const std::vector<double> listings = sandbox.CallTimes("ls");
  ASSERT_EQ(listings.size(), 2U) << "one at start, one at the first tick";
  // Five seconds after the arming, which lies between the start-up's listing
  // (it comes later) and the moment the window was seen shrunk (it came
  // before), so the bounds hold however long start-up took. Early: a timer
  // never fires before it is due, and the spy logs the call after the timer
  // fired; the margin only absorbs rounding of the clocks.
  EXPECT_GE(listings[1] - listings[0], 5.0 - 0.02)
      << "the first tick came before five seconds had passed";
  // Late: a tick starts a shell that logs the call; on a loaded machine with
  // sanitizers that takes a good part of a second, never five.
  EXPECT_LE(listings[1] - shrunk, 5.0 + 1.0) << "the first tick came late";
  // It ends at that tick, right after its listing.
  EXPECT_GT(exit->time, listings[1]);
  EXPECT_LE(exit->time - shrunk, 5.0 + 1.5);
  EXPECT_TRUE(sandbox.Calls("ps").empty());
  EXPECT_TRUE(sandbox.Calls("open").empty());
  // The listing's own complaint reaches the supervisor's standard error.
  EXPECT_NE(sandbox.Stderr().find("/Applications/Ravelstow/Quillmere.app"), std::string::npos);
}

}  // namespace
