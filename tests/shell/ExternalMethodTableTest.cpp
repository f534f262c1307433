#include <gtest/gtest.h>

#include <set>
#include <string>

#include "shell/ExternalMethodTable.h"
#include "shell/WindowInput.h"

namespace tessaly {
namespace {

TEST(ExternalMethodTableTest, NamesAreNumberedOneToTwentySixExactlyAsThePageWritesThem) {
  const char16_t* const pageOrder[] = {
      u"cheatRegistry", u"checkUkeySimple", u"messageBox", u"downloadingBox",
      u"checkAndFixCertEnroll", u"install", u"fix", u"check", u"installandfix", u"stop",
      u"exit", u"mini", u"site", u"Checking", u"setusertype", u"getusertype",
      u"setupdatetype", u"getupdatetype", u"setFirst", u"getFirst", u"setwithwindows",
      u"getwithwindows", u"setclosetype", u"getclosetype", u"openurl", u"update"};
  std::int32_t id = 0;
  for (const char16_t* name : pageOrder) {
    ++id;
    const ExternalMethod* method = FindExternalMethod(name);
    ASSERT_NE(method, nullptr) << id;
    EXPECT_EQ(method->id, id);
    EXPECT_EQ(FindExternalMethod(id), method);
    // Only getters return a value, and they take no argument.
    EXPECT_EQ(method->returnsInteger, std::u16string_view(name).starts_with(u"get"));
    if (method->returnsInteger) {
      EXPECT_EQ(method->parameterCount, 0);
    }
  }
  EXPECT_EQ(FindExternalMethod(0), nullptr);
  EXPECT_EQ(FindExternalMethod(27), nullptr);
  for (const char16_t* other : {u"GetFirst", u"checking", u"installAndFix", u"", u"getfirst "}) {
    EXPECT_EQ(FindExternalMethod(other), nullptr);
  }
}

TEST(ExternalMethodTableTest, ParametersMatchByCountAndType) {
  const ExternalMethod& box = *FindExternalMethod(kDownloadingBox);
  EXPECT_TRUE(MatchesParameters(box, std::vector<MethodArgument>{1, u"a", u"b"}));
  EXPECT_FALSE(MatchesParameters(box, std::vector<MethodArgument>{u"1", u"a", u"b"}));
  EXPECT_FALSE(MatchesParameters(box, std::vector<MethodArgument>{1, u"a"}));
  EXPECT_TRUE(MatchesParameters(*FindExternalMethod(kCheatRegistry),
                                std::vector<MethodArgument>{true}));
  EXPECT_FALSE(MatchesParameters(*FindExternalMethod(kCheatRegistry),
                                 std::vector<MethodArgument>{1}));
}

TEST(ExternalMethodTableTest, IntegerTextsOfTheSelectBoxes) {
  const std::pair<std::u16string_view, std::optional<std::int32_t>> cases[] = {
      {u"0", 0}, {u"1", 1}, {u"2", 2}, {u" 2 ", 2}, {u"-1", -1}, {u"2147483647", 2147483647},
      {u"-2147483648", INT32_MIN}, {u"2147483648", std::nullopt}, {u"", std::nullopt},
      {u"-", std::nullopt}, {u"1.5", std::nullopt}, {u"x", std::nullopt},
      {u"99999999999", std::nullopt}, {u"１", std::nullopt}};
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(IntegerFromText(text), expected) << std::string(text.begin(), text.end());
  }
}

TEST(WindowInputTest, TitleBandPressesAsTheWindowTreatsThem) {
  struct Case {
    std::int32_t x, y;
    BandPress expected;
  };
  const Case cases[] = {
      {430, 15, BandPress::LeaveToPage},   {430, 30, BandPress::MoveAfterPage},
      {100, 15, BandPress::MoveNow},       {430, 38, BandPress::LeaveToPage},
      {204, 37, BandPress::MoveNow},       {205, 37, BandPress::MoveAfterPage},
      {413, 15, BandPress::MoveAfterPage}, {414, 11, BandPress::LeaveToPage},
      {414, 10, BandPress::MoveAfterPage}, {414, 22, BandPress::MoveAfterPage},
      {480, 21, BandPress::LeaveToPage},   {495, 15, BandPress::MoveAfterPage},
      {528, 12, BandPress::LeaveToPage},   {529, 12, BandPress::MoveAfterPage},
      {600, 5, BandPress::MoveAfterPage},  {-1, 5, BandPress::LeaveToPage},
      {0, 0, BandPress::MoveNow},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyBandPress(c.x, c.y), c.expected) << c.x << "," << c.y;
  }
}

TEST(WindowInputTest, KeysKeptFromThePage) {
  struct Case {
    std::uint32_t key;
    bool control;
    bool withheld;
  };
  const Case cases[] = {
      {'N', true, true},  {'F', true, true},  {'N', false, false}, {'F', false, false},
      {0x74, false, true}, {0x74, true, true}, {0x1B, false, true}, {0x0D, false, true},
      {'C', true, false}, {'V', true, false}, {0x75, false, false}, {0x09, false, false},
      {0x2E, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsKeyWithheldFromPage(c.key, c.control), c.withheld) << c.key << " " << c.control;
  }
}

}  // namespace
}  // namespace tessaly
