#include "platform/portable/Utf8Codec.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(Utf8CodecTest, RoundTripsEveryEncodedLength) {
  const std::string utf8 = "A\xC3\xA9\xE7\xBD\x91\xF0\x9F\x94\x91";  // A é 网 and a key
  const std::u16string wide = DecodeUtf8(utf8);
  EXPECT_EQ(wide, u"A\u00E9\u7F51\U0001F511");
  EXPECT_EQ(EncodeUtf8(wide), utf8);
}

TEST(Utf8CodecTest, MalformedSequencesBecomeOneReplacementPerBadByte) {
  // A lone continuation byte, a lead byte cut off by the end, an overlong "/" and an
  // encoded surrogate: each bad byte is replaced and the next good character survives.
  EXPECT_EQ(DecodeUtf8("a\x80" "b"), u"a\uFFFD" "b");
  EXPECT_EQ(DecodeUtf8("a\xE7\xBD"), u"a\uFFFD\uFFFD");
  EXPECT_EQ(DecodeUtf8("\xC0\xAF" "x"), u"\uFFFD\uFFFD" "x");
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD") << "beyond U+10FFFF";
}

TEST(Utf8CodecTest, UnpairedSurrogatesEncodeAsReplacement) {
  EXPECT_EQ(EncodeUtf8(std::u16string(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(EncodeUtf8(std::u16string(1, u'\xDC00')), "\xEF\xBF\xBD");
}

TEST(Utf8CodecTest, SequenceLengthReportsWellFormedSequencesOnly) {
  const std::string text = "a\xC3\xA9\xE7\xBD\x91\xF0\x9F\x94\x91\x80";
  EXPECT_EQ(Utf8SequenceLength(text, 0), 1u);
  EXPECT_EQ(Utf8SequenceLength(text, 1), 2u);
  EXPECT_EQ(Utf8SequenceLength(text, 3), 3u);
  EXPECT_EQ(Utf8SequenceLength(text, 6), 4u);
  EXPECT_EQ(Utf8SequenceLength(text, 10), 0u);
  EXPECT_EQ(Utf8SequenceLength(std::string_view("\xF0\x9F", 2), 0), 0u);
}

}  // namespace
}  // namespace tessaly
