// Where the host lacks macOS's `open`, the supervisor brings its own stand-in
// in <prefix>/libexec/quillmere-watchdog, beside <prefix>/bin where the
// supervisor itself lies (in the build tree as after an install).
#pragma once

// Puts that folder at the front of PATH, which every host command started
// by the supervisor inherits. The folder holds only `open`, so no other
// command of the user's is shadowed.
void PutHelperDirectoryFirstOnPath();
