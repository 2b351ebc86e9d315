#include "agent/agent_table.h"

#include <cstdio>
#include <cstring>

char s_AppsMainFolder[1024] = "/Applications/Ravelstow";
char s_AppExeNamesArray[1][256] = {"Quillmere"};
// Twelve ASCII spaces stand before the full-width colon in both status texts.
char s_HasMenuItemsArray[1][256] = {"元件執行中            ：網路ATM (晶片金融卡)"};
char s_NotHasMenuItemsArray[1][256] = {"元件未安裝            ：網路ATM (晶片金融卡)"};
char s_VersionText[256] = "版本：1.0.1.0";

void FormatBundlePath(const char *name, char (&bundlePath)[kPathBufferSize]) {
  std::memset(bundlePath, 0, sizeof bundlePath);
  std::snprintf(bundlePath, sizeof bundlePath, "%s/%s.app", s_AppsMainFolder, name);
}

void FormatQuotedExecutablePath(const char *bundlePath, const char *name,
                                char (&quotedPath)[kPathBufferSize]) {
  std::memset(quotedPath, 0, sizeof quotedPath);
  std::snprintf(quotedPath, sizeof quotedPath, "\"%s/Contents/MacOS/%s\"", bundlePath, name);
}
