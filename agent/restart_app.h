#pragma once

// Makes sure the agent's process runs: searches the full process listing for
// the agent's executable path and, when only the search's own lines (those
// holding "grep") come back, starts the bundle in the background with
// `open -g` and waits for that command. When no pipe to the listing can be
// opened, nothing is started: without a look, a relaunch could start a
// second agent. The next call looks again.
void ReStartApp(const char *name);
