#include "diagnosis/CompatibilityList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diagnosis/HexText.h"
#include "tests/fakes/ScriptedRandom.h"

namespace tessaly {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view hex) { return BytesOfHexText(hex); }

std::uint32_t FieldAt(const std::vector<std::uint8_t>& blob, std::size_t offset) {
  return static_cast<std::uint32_t>(blob[offset] | blob[offset + 1] << 8 | blob[offset + 2] << 16 |
                                    blob[offset + 3] << 24);
}

TEST(EntryRandomDigits, SeedsOnceAndCutsTheHexadecimalTextOfTheTwelveDigitNumber) {
  ScriptedRandom random;
  EXPECT_EQ(EntryRandomDigits(random), "0000000000") << "no draws: R is 0, padded with 0";
  EXPECT_EQ(random.seeds, 1);

  // Only d0 = 15 % 10: R = 5, a single digit padded on the right.
  random.draws = {15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(EntryRandomDigits(random), "5000000000");

  // Only d11 = 1: 10^11 in single precision is 99999997952, not 100000000000 (174876e800).
  random.draws = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(EntryRandomDigits(random), "174876e000");

  // Every digit 5: 5 * 11111111111 + 5 * 99999997952.
  random.draws = {5};
  EXPECT_EQ(EntryRandomDigits(random), "8159b0e0e3");
  EXPECT_EQ(random.seeds, 4);
}

TEST(CompatibilityList, AFreshListForTwoDomainsIsExactByteForByte) {
  ScriptedRandom random;
  random.draws = {5};
  CompatibilityList list = CompatibilityList::Empty();
  EXPECT_EQ(list.Blob(), Bytes("411f00005308adba00000000000000000100000000000000"));
  ASSERT_TRUE(list.Append(u"a.cn", random));
  ASSERT_TRUE(list.Append(u"bb.cn", random));

  // Each entry reseeds, so within one second both carry the same five bytes.
  EXPECT_EQ(random.seeds, 2);
  EXPECT_EQ(list.Blob(), Bytes("411F00005308ADBA"
                               "02000000"  // entries
                               "42000000"  // 12 + (18 + 8) + (18 + 10) = 66 bytes after offset 12
                               "01000000"
                               "02000000"
                               "0C000000" "8159B0E0E3" "84CD01" "01000000" "0400"
                               "61002E0063006E00"
                               "0C000000" "8159B0E0E3" "84CD01" "01000000" "0500"
                               "620062002E0063006E00"));
}

TEST(CompatibilityList, FindsDomainsOnlyAsStoredExactly) {
  ScriptedRandom random;
  CompatibilityList list = CompatibilityList::Empty();
  EXPECT_FALSE(list.Mentions(u"a.cn"));
  ASSERT_TRUE(list.Append(u"a.cn", random));
  EXPECT_TRUE(list.Mentions(u"a.cn"));
  EXPECT_FALSE(list.Mentions(u"A.cn")) << "letter case is compared exactly";
  EXPECT_FALSE(list.Mentions(u"b.cn"));
  // The pattern starts with the length field's high byte, so a domain ending the stored one
  // is found too, as the list's text has always been searched.
  EXPECT_TRUE(list.Mentions(u".cn"));

  // A list read from the registry renders in upper case and is searched the same way.
  const auto stored = CompatibilityList::FromBlob(list.Blob());
  ASSERT_TRUE(stored.has_value());
  EXPECT_TRUE(stored->Mentions(u"a.cn"));
  // Letters whose code units have hexadecimal letters ("m" is 6D) match too.
  ASSERT_TRUE(list.Append(u"zone.com", random));
  EXPECT_TRUE(CompatibilityList::FromBlob(list.Blob())->Mentions(u"zone.com"));
  EXPECT_TRUE(list.Mentions(u"zone.com"));
}

TEST(CompatibilityList, AppendingToAStoredListKeepsWhatTheBrowserWrote) {
  // Two entries the browser wrote, with a timestamp-like middle the program never makes.
  const std::vector<std::uint8_t> browserList =
      Bytes("411F00005308ADBA" "01000000" "26000000" "01000000" "01000000"
            "0C000000" "AABBCCDDEE" "FF1122" "01000000" "0400" "78002E0063006E00");
  auto list = CompatibilityList::FromBlob(browserList);
  ASSERT_TRUE(list.has_value());
  ScriptedRandom random;
  ASSERT_TRUE(list->Append(u"y.cn", random));

  const std::vector<std::uint8_t> blob = list->Blob();
  ASSERT_EQ(blob.size(), browserList.size() + 26);
  EXPECT_EQ(FieldAt(blob, 8), 2u);
  EXPECT_EQ(FieldAt(blob, 20), 2u);
  EXPECT_EQ(FieldAt(blob, 12), blob.size() - 12);
  // Everything but the three header fields is as stored, and the new entry follows.
  EXPECT_TRUE(std::equal(blob.begin(), blob.begin() + 8, browserList.begin()));
  EXPECT_TRUE(std::equal(blob.begin() + 16, blob.begin() + 20, browserList.begin() + 16));
  EXPECT_TRUE(std::equal(browserList.begin() + 24, browserList.end(), blob.begin() + 24));
  EXPECT_EQ(std::vector<std::uint8_t>(blob.begin() + 50, blob.end()),
            Bytes("0C000000" "0000000000" "84CD01" "01000000" "0400" "79002E0063006E00"));
}

TEST(CompatibilityList, HeaderFieldsStaySoundBeyondOneByte) {
  ScriptedRandom random;
  CompatibilityList list = CompatibilityList::Empty();
  for (int i = 0; i < 300; ++i) {
    ASSERT_TRUE(list.Append(u"n" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) +
                                u".cn",
                            random));
  }
  const std::vector<std::uint8_t> blob = list.Blob();
  EXPECT_EQ(FieldAt(blob, 8), 300u);
  EXPECT_EQ(FieldAt(blob, 20), 300u);
  EXPECT_EQ(FieldAt(blob, 12), blob.size() - 12);
  EXPECT_EQ(blob.size(), 24u + 300u * (18 + 10));

  // A stored count of 255 with higher bytes set by nobody becomes 256, not "100" spilled
  // into the text.
  auto full = CompatibilityList::FromBlob(
      Bytes("411F00005308ADBA" "FF000000" "0C000000" "01000000" "FF000000"));
  ASSERT_TRUE(full.has_value());
  ASSERT_TRUE(full->Append(u"a.cn", random));
  EXPECT_EQ(full->Blob().size(), 24u + 26u);
  EXPECT_EQ(FieldAt(full->Blob(), 8), 256u);
  EXPECT_EQ(FieldAt(full->Blob(), 20), 256u);
}

TEST(CompatibilityList, LongDomainsUseTheWholeLengthFieldAndOverlongOnesAreRefused) {
  ScriptedRandom random;
  CompatibilityList list = CompatibilityList::Empty();
  const std::u16string longDomain(300, u'w');
  ASSERT_TRUE(list.Append(longDomain, random));
  const std::vector<std::uint8_t> blob = list.Blob();
  EXPECT_EQ(blob[24 + 16], 300 & 0xFF);
  EXPECT_EQ(blob[24 + 17], 300 >> 8);
  EXPECT_TRUE(list.Mentions(longDomain));

  const std::string before = list.Text();
  EXPECT_FALSE(list.Append(std::u16string(65536, u'w'), random));
  EXPECT_EQ(list.Text(), before);
}

TEST(CompatibilityList, StoredBlobsTooShortForTheHeaderAreNoList) {
  EXPECT_FALSE(CompatibilityList::FromBlob({}).has_value());
  EXPECT_FALSE(CompatibilityList::FromBlob(std::vector<std::uint8_t>(23, 0xAB)).has_value());
  // A garbled header of full length is taken as it is; its count is just a number.
  auto garbled = CompatibilityList::FromBlob(std::vector<std::uint8_t>(24, 0xFF));
  ASSERT_TRUE(garbled.has_value());
  ScriptedRandom random;
  EXPECT_FALSE(garbled->Append(u"a.cn", random)) << "the count cannot grow past 32 bits";
  EXPECT_EQ(garbled->Blob(), std::vector<std::uint8_t>(24, 0xFF));
}

}  // namespace
}  // namespace tessaly
