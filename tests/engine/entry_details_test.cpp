#include <gtest/gtest.h>

#include "engine/entry_details.h"

namespace kqm {
namespace {

TEST(EntryDetails, TextForAFoundProgramAMissingOneAndNoneWithDates) {
  EntryDetails found;
  found.command = "\"C:\\Program Files\\Up\\up.exe\" /q";
  found.storedIn = "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run (32-bit view)";
  found.type = "REG_EXPAND_SZ";
  found.program = {"C:\\Program Files\\Up\\up.exe", true};
  // 2024-02-29 13:45 UTC and 1999-12-31 23:59 UTC (automation dates); no company in the resource.
  found.facts = ProgramFileFacts{1234567, 45351.0 + 13.75 / 24, 36525.0 + (23 * 60 + 59) / 1440.0,
                                 FileVersionFacts{"Up Updater", "", "2.0.1"}};
  EXPECT_EQ("Command: \"C:\\Program Files\\Up\\up.exe\" /q\n"
            "Stored in: HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run (32-bit "
            "view), REG_EXPAND_SZ\n"
            "Program: C:\\Program Files\\Up\\up.exe\n"
            "  Up Updater, version 2.0.1\n"
            "  1,234,567 bytes, created 2024-02-29 13:45 UTC, modified 1999-12-31 23:59 UTC",
            EntryDetailsText(found));

  found.facts->version.reset();
  found.facts->created = -109205;  // the file system's "no date"
  found.facts->size = 999;
  EXPECT_EQ("  999 bytes, modified 1999-12-31 23:59 UTC",
            EntryDetailsText(found).substr(EntryDetailsText(found).rfind('\n') + 1));

  EntryDetails missing;
  missing.command = "C:\\gone\\app.exe -x";
  missing.storedIn = "C:\\users\\u\\Start Menu\\Programs\\Startup\\app.lnk";
  missing.type = "shortcut";
  missing.program = {"C:\\gone\\app.exe", false};
  EXPECT_EQ("Command: C:\\gone\\app.exe -x\nStored in: C:\\users\\u\\Start Menu\\Programs\\Startup\\app.lnk, "
            "shortcut\nProgram: C:\\gone\\app.exe - file not found",
            EntryDetailsText(missing));

  EntryDetails none;
  EXPECT_EQ("Command: \nStored in: (unknown)\nProgram: (none found in the command line)", EntryDetailsText(none));

  EXPECT_EQ("1899-12-30 00:00 UTC", DateText(0));
  EXPECT_EQ("1601-01-02 00:00 UTC", DateText(-109204));
  EXPECT_EQ("", DateText(-109205));
}

}  // namespace
}  // namespace kqm
