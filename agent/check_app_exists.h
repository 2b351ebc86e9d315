#pragma once

// Is the agent's bundle installed? Lists the bundle path with `ls -l` and
// answers true as soon as a line of the listing does not mention "Contents";
// a missing path prints nothing on standard output and yields false.
// When no pipe to the listing can be opened at all, the answer is true:
// not being able to look must never end the supervisor.
bool CheckAppExists(const char *name);
