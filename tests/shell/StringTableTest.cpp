// The string table as the build generates it from its one source.
#include "resources/StringTable.h"

#include <gtest/gtest.h>

#include <set>

namespace tessaly {
namespace {

TEST(StringTableTest, IdsAreUniqueAndInTheProgramsRange) {
  std::set<unsigned> ids;
  for (const ProgramStringEntry& entry : kProgramStrings) {
    EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
    EXPECT_GE(entry.id, 136u);
    EXPECT_LE(entry.id, 159u);
    EXPECT_FALSE(entry.text.empty()) << entry.id;
  }
}

TEST(StringTableTest, TextsKeepTheirSpacesAndCharacters) {
  auto text = [](unsigned id) {
    for (const ProgramStringEntry& entry : kProgramStrings) {
      if (entry.id == id) {
        return entry.text;
      }
    }
    return std::u16string_view();
  };
  EXPECT_EQ(text(kStringProgramTitle), u"Tessaly");
  EXPECT_EQ(text(kStringSslCacheCleared), u"      SSL\u7F13\u5B58\u6E05\u9664\u6210\u529F      ");
  EXPECT_EQ(text(kStringNo), u"\u5426");
  // The ASCII comma of the optional update question is not the full-width one.
  EXPECT_EQ(text(kStringUpdateQuestion).find(u','), 7u);
}

}  // namespace
}  // namespace tessaly
