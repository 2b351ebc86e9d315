// The real supervisor starting up on a private X server, with and without
// the agent's bundle.

#include <gtest/gtest.h>

#include "e2e.h"
#include "harness/process.h"

namespace {

TEST(StartUp, WindowIsShrunkWhateverTheGeometryAndClosingEndsWithStatusZero) {
  harness::SandboxOptions options;
  options.arguments = {"-geometry", "800x600"};
  harness::Sandbox sandbox(options);
  ASSERT_NE(sandbox.Start(), 0);

  std::string window;
  ASSERT_TRUE(harness::WaitUntil([&] { return !(window = e2e::FindWindow(sandbox)).empty(); },
                                 e2e::kStartUpSeconds))
      << e2e::Account(sandbox);
  // FLTK reports 0x0; the X server keeps the window at its least, 1x1.
  EXPECT_TRUE(harness::WaitUntil([&] { return e2e::XSize(sandbox, window) == "1x1"; }, 3.0))
      << e2e::XSize(sandbox, window);

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

  std::string window;
  EXPECT_TRUE(harness::WaitUntil([&] { return !(window = e2e::FindWindow(sandbox)).empty(); },
                                 e2e::kStartUpSeconds))
      << e2e::Account(sandbox);
  EXPECT_EQ(e2e::XSize(sandbox, window), "1x1");
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
  const std::optional<double> shrunk = e2e::WaitUntilShrunk(sandbox, e2e::kStartUpSeconds);
  ASSERT_TRUE(shrunk.has_value()) << e2e::Account(sandbox);

  const std::optional<harness::SupervisorExit> exit = sandbox.WaitForExit(10.0);
  ASSERT_TRUE(exit.has_value());
  EXPECT_EQ(exit->status, 0);
  const std::vector<double> listings = sandbox.CallTimes("ls");
  ASSERT_EQ(listings.size(), 2U) << "one at start, one at the first tick";
  e2e::ExpectFirstTickFiveSecondsAfterArming(listings[0], *shrunk, listings[1]);
  // It ends at that tick, right after its listing.
  EXPECT_GT(exit->time, listings[1]);
  EXPECT_LE(exit->time - *shrunk, 5.0 + 1.5);
  EXPECT_TRUE(sandbox.Calls("ps").empty());
  EXPECT_TRUE(sandbox.Calls("open").empty());
  // The listing's own complaint reaches the supervisor's standard error.
  EXPECT_NE(sandbox.Stderr().find("/Applications/Ravelstow/Quillmere.app"), std::string::npos);
}

}  // namespace
