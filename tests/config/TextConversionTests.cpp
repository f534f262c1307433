#include <gtest/gtest.h>

#include "config/TextConversion.h"
#include "tests/fakes/FakeCodePages.h"

namespace tessaly {
namespace {

TEST(TextConversion, ConvertsBetweenUtf8Utf16AndTheAnsiCodePage) {
  FakeCodePages codePages;  // ANSI behaves as Windows-1252
  EXPECT_EQ(Utf8ToWide(codePages, "A\xE2\x82\xAC\xF0\x9D\x84\x9E"), u"A\u20AC\U0001D11E");
  EXPECT_EQ(Utf8ToAnsi(codePages, "Caf\xC3\xA9 \xE2\x82\xAC"), "Caf\xE9 \x80");
  EXPECT_EQ(AnsiToUtf8(codePages, "Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");

  codePages.ansi = FakeCodePages::Ansi::Utf8;
  EXPECT_EQ(Utf8ToAnsi(codePages, "Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(AnsiToUtf8(codePages, "Caf\xC3\xA9"), "Caf\xC3\xA9");
}

TEST(TextConversion, ExplicitCodePagesAreHonouredWhateverTheAnsiCodePage) {
  FakeCodePages codePages;
  codePages.ansi = FakeCodePages::Ansi::Utf8;
  EXPECT_EQ(MultiByteToWideText(codePages, 1252, "\xE9"), u"\u00E9");
  EXPECT_EQ(WideToMultiByteText(codePages, 1252, u"\u00E9"), "\xE9");
  EXPECT_EQ(WideToMultiByteText(codePages, kCodePageUtf8, u"\u00E9"), "\xC3\xA9");
}

// Each two-step conversion fails as a whole when either of its steps fails, instead of
// passing half a result on.
TEST(TextConversion, AFailingCodePageFailsEveryConversionThroughIt) {
  FakeCodePages ansiFails;
  ansiFails.failingCodePages = {kCodePageAnsi};
  EXPECT_EQ(Utf8ToWide(ansiFails, "abc"), u"abc");
  EXPECT_EQ(Utf8ToAnsi(ansiFails, "abc"), "");
  EXPECT_EQ(AnsiToUtf8(ansiFails, "abc"), "");

  FakeCodePages utf8Fails;
  utf8Fails.failingCodePages = {kCodePageUtf8};
  EXPECT_EQ(Utf8ToWide(utf8Fails, "abc"), u"");
  EXPECT_EQ(Utf8ToAnsi(utf8Fails, "abc"), "");
  EXPECT_EQ(AnsiToUtf8(utf8Fails, "abc"), "");
  EXPECT_EQ(MultiByteToWideText(utf8Fails, kCodePageAnsi, "abc"), u"abc");
}

}  // namespace
}  // namespace tessaly
