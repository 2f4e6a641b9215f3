#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include "path_predicates_table.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm::contract {
namespace {

TEST(PathPredicatesShlwapi, TheTableIsWhatTheShellAnswers) {
  for (const PathCase& c : kPathCases) {
    SCOPED_TRACE(std::string("path \"") + c.path + "\"");
    const std::wstring path = Wide(c.path);
    EXPECT_EQ(PathGetDriveNumberW(path.c_str()), c.driveNumber);
    wchar_t buffer[MAX_PATH] = {};
    lstrcpynW(buffer, path.c_str(), MAX_PATH);
    EXPECT_EQ(PathStripToRootW(buffer) != FALSE, c.hasRoot);
    EXPECT_EQ(Narrow(buffer), c.root);
    EXPECT_EQ(PathIsNetworkPathW(path.c_str()) != FALSE, c.network);
    EXPECT_EQ(PathIsUNCServerShareW(path.c_str()) != FALSE, c.uncServerShare);
    EXPECT_EQ(PathIsUNCServerW(path.c_str()) != FALSE, c.uncServer);
    EXPECT_EQ(PathIsUNCW(path.c_str()) != FALSE, c.unc);
  }
}

}  // namespace
}  // namespace kqm::contract
