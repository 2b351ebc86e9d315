#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "agent/agent_table.h"

namespace {

// Written with code points, independently of the table's own literals.
const std::string kSpaces(12, ' ');
const std::string kRunning = "\u5143\u4ef6\u57f7\u884c\u4e2d" + kSpaces +
                             "\uff1a\u7db2\u8def"
                             "ATM (\u6676\u7247\u91d1\u878d\u5361)";
const std::string kMissing = "\u5143\u4ef6\u672a\u5b89\u88dd" + kSpaces +
                             "\uff1a\u7db2\u8def"
                             "ATM (\u6676\u7247\u91d1\u878d\u5361)";

TEST(AgentTable, TextsAreTheSystemsOwnByteForByte) {
  EXPECT_STREQ(s_AppsMainFolder, "/Applications/Ravelstow");
  EXPECT_STREQ(s_AppExeNamesArray[0], "Quillmere");
  EXPECT_EQ(std::string(s_VersionText),
            "\u7248\u672c\uff1a"
            "1.0.1.0");
  EXPECT_EQ(std::string(s_HasMenuItemsArray[0]), kRunning);
  EXPECT_EQ(std::string(s_NotHasMenuItemsArray[0]), kMissing);

  // 57 bytes each, differing only in characters three to five (bytes 6 to 14).
  const std::string has = s_HasMenuItemsArray[0];
  const std::string hasNot = s_NotHasMenuItemsArray[0];
  ASSERT_EQ(has.size(), 57U);
  ASSERT_EQ(hasNot.size(), 57U);
  for (size_t i = 0; i < has.size(); ++i) {
    EXPECT_EQ(has[i] == hasNot[i], i < 6 || i >= 15) << "byte " << i;
  }
}

TEST(AgentTable, SlotsHaveTheirFixedWidths) {
  EXPECT_EQ(sizeof s_AppsMainFolder, 1024U);
  EXPECT_EQ(sizeof s_AppExeNamesArray, 256U);
  EXPECT_EQ(sizeof s_HasMenuItemsArray, 256U);
  EXPECT_EQ(sizeof s_NotHasMenuItemsArray, 256U);
  EXPECT_EQ(sizeof s_VersionText, 256U);
}

TEST(PathRules, BundlePathIsPlainAndQuotedExecutablePathIsQuoted) {
  char bundle[kPathBufferSize];
  std::memset(bundle, 'x', sizeof bundle);
  FormatBundlePath(s_AppExeNamesArray[0], bundle);
  EXPECT_STREQ(bundle, "/Applications/Ravelstow/Quillmere.app");
  // Zero-filled: nothing of what was there before survives past the text.
  for (size_t i = std::strlen(bundle); i < sizeof bundle; ++i) {
    ASSERT_EQ(bundle[i], '\0') << "byte " << i;
  }

  char quoted[kPathBufferSize];
  FormatQuotedExecutablePath(bundle, s_AppExeNamesArray[0], quoted);
  EXPECT_STREQ(quoted, "\"/Applications/Ravelstow/Quillmere.app/Contents/MacOS/Quillmere\"");
}

TEST(PathRules, LongestTextsFitTheBuffers) {
  // A full folder slot and a full name slot still fit, quotes included.
  const std::string savedFolder = s_AppsMainFolder;
  std::memset(s_AppsMainFolder, 'f', sizeof s_AppsMainFolder - 1);
  s_AppsMainFolder[sizeof s_AppsMainFolder - 1] = '\0';
  const std::string name(255, 'n');

  char bundle[kPathBufferSize];
  FormatBundlePath(name.c_str(), bundle);
  char quoted[kPathBufferSize];
  FormatQuotedExecutablePath(bundle, name.c_str(), quoted);
  std::snprintf(s_AppsMainFolder, sizeof s_AppsMainFolder, "%s", savedFolder.c_str());

  EXPECT_EQ(std::strlen(bundle), 1283U);
  EXPECT_EQ(std::strlen(quoted), 1556U);
  EXPECT_EQ(quoted[1555], '"');
}

}  // namespace
