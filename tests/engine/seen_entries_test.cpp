// What the window showed of each location, kept in the user's ledger as text a later version can read.
#include <gtest/gtest.h>

#include "engine/seen_entries.h"
#include "platform/substitute/memory_registry.h"

namespace kqm {
namespace {

// Entries are told apart by view and name (in any letter case), whether on or switched off; new and changed by
// whether the name was there; text of a later version is read, damaged text is no record; and a location of more
// entries than the bound is forgotten, so that nothing there is marked.
TEST(SeenEntries, RecordsTellNewFromChangedAndDamagedTextIsNoRecord) {
  MemoryRegistry reg;
  SeenEntries seen(reg);
  StartupEntry a;
  a.name = std::string("Alpha");
  a.type = kRegSz;
  a.bytes = std::string("x");
  StartupEntry otherCase = a, off = a, changed = a, b = a, a32 = a;
  otherCase.name = std::string("ALPHA");
  off.state = EntryState::kOff;
  off.userStore = true;
  changed.bytes = std::string("y");
  b.name = std::string("Beta");
  a32.view = RegView::k32;

  EXPECT_FALSE(seen.Get(LocationId::kHkcuRun));
  ASSERT_EQ(kRegOk, seen.Put(LocationId::kHkcuRun, MakeSeenRecord({SeenKeyOf(a)}, 1700000000)));
  EXPECT_FALSE(seen.Get(LocationId::kHkcuRunOnce));
  const std::optional<SeenRecord> record = seen.Get(LocationId::kHkcuRun);
  ASSERT_TRUE(record);
  EXPECT_EQ(1700000000, record->time);
  EXPECT_EQ(Novelty::kSeen, NoveltyOf(*record, SeenKeyOf(otherCase)));
  EXPECT_EQ(Novelty::kSeen, NoveltyOf(*record, SeenKeyOf(off)));
  EXPECT_EQ(Novelty::kChanged, NoveltyOf(*record, SeenKeyOf(changed)));
  EXPECT_EQ(Novelty::kNew, NoveltyOf(*record, SeenKeyOf(b)));
  EXPECT_EQ(Novelty::kNew, NoveltyOf(*record, SeenKeyOf(a32)));
  EXPECT_EQ("Changed since 2023-11-14 22:13 UTC", NoveltyText(Novelty::kChanged, record->time));

  const std::string text = EncodeSeenRecord(*record);
  EXPECT_EQ(record, DecodeSeenRecord(text + "later=1\n"));
  for (const std::string& damaged : {text.substr(0, text.size() - 2), "kqm-seen/2\n" + text.substr(11),
                                     std::string("kqm-seen/1\nentries=\n"), "kqm-seen/1\ntime=1\nentries=" +
                                     std::string(32, 'g') + "\n"})
    EXPECT_FALSE(DecodeSeenRecord(damaged)) << damaged;

  std::vector<SeenKey> many(SeenEntries::kMaxEntries + 1);
  for (size_t i = 0; i < many.size(); ++i) many[i] = {i, i};
  EXPECT_EQ(kRegOk, seen.Put(LocationId::kHkcuRun, MakeSeenRecord(std::move(many), 1)));
  EXPECT_FALSE(seen.Get(LocationId::kHkcuRun));
}

}  // namespace
}  // namespace kqm
