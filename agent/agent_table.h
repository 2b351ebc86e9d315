// The one supervised agent: where its bundle lives, what it is called and
// what the status menu says about it, plus the two rules that turn its name
// into the paths handed to host commands.
#pragma once

#include <cstddef>

// Every path rule writes into a buffer of this size; with the slot widths
// below no path comes near it.
constexpr std::size_t kPathBufferSize = 4096;

extern char s_AppsMainFolder[1024];
extern char s_AppExeNamesArray[1][256];
extern char s_HasMenuItemsArray[1][256];
extern char s_NotHasMenuItemsArray[1][256];
extern char s_VersionText[256];

// "<folder>/<name>.app", e.g. /Applications/Ravelstow/Quillmere.app.
void FormatBundlePath(const char *name, char (&bundlePath)[kPathBufferSize]);

// "<bundle>/Contents/MacOS/<name>" with the double quotes as part of the text,
// so that the shell hands the path to a command as one word.
void FormatQuotedExecutablePath(const char *bundlePath, const char *name,
                                char (&quotedPath)[kPathBufferSize]);
