#include <gtest/gtest.h>

#include "path_predicates_table.h"
#include "platform/path_predicates.h"

namespace kqm::contract {
namespace {

TEST(PathPredicates, AnswerLikeTheShellForEveryTablePath) {
  for (const PathCase& c : kPathCases) {
    SCOPED_TRACE(std::string("path \"") + c.path + "\"");
    EXPECT_EQ(PathGetDriveNumber(c.path), c.driveNumber);
    std::string stripped = c.path;
    EXPECT_EQ(PathStripToRoot(stripped), c.hasRoot);
    EXPECT_EQ(stripped, c.root);
    EXPECT_EQ(PathIsNetworkPath(c.path), c.network);
    EXPECT_EQ(PathIsUNCServerShare(c.path), c.uncServerShare);
    EXPECT_EQ(PathIsUNCServer(c.path), c.uncServer);
    EXPECT_EQ(PathIsUNC(c.path), c.unc);
  }
}

}  // namespace
}  // namespace kqm::contract
