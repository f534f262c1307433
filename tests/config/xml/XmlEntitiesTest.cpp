#include <gtest/gtest.h>

#include <string>

#include "config/xml/XmlEntities.h"
#include "config/xml/XmlNotes.h"

namespace tessaly {
namespace {

TEST(XmlDecoding, CharacterReferences) {
  EXPECT_EQ(DecodeXmlText("&#65;&#x41;&#X41;&#x0041;"), "AAAA");
  EXPECT_EQ(DecodeXmlText("&#65x;"), "A");  // digits stop at 'x'; reading resumes after ';'
  EXPECT_EQ(DecodeXmlText("&#xe9;&#x20AC;"), "\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(DecodeXmlText("&#x1F600;"), "\xF0\x9F\x98\x80");
  // Beyond Unicode: four bytes from the low 21 bits.
  EXPECT_EQ(DecodeXmlText("&#xFFFFFFF;"), "\xF7\xBF\xBF\xBF");
  EXPECT_EQ(DecodeXmlText("&#00000065;"), "A");  // nine bytes between '&' and ';'
}

TEST(XmlDecoding, UnrecognisedReferencesStayLiteral) {
  for (const char* literal : {"&bogus;", "&#0;", "&#;", "&#x;", "&#xg;", "& x", "&;", "&amp", "&",
                              "&#000000065;", "&\xC3\xA9;", "&am\x80;"}) {
    EXPECT_EQ(DecodeXmlText(literal), literal);
  }
  EXPECT_EQ(DecodeXmlText("&averyverylongname;"), "&averyverylongname;");
  // A literal '&' is copied and the next one is read afresh.
  EXPECT_EQ(DecodeXmlText("&&amp;"), "&&");
  EXPECT_EQ(DecodeXmlText("a&b&lt;c"), "a&b<c");
}

TEST(XmlDecoding, NamedEntitiesIgnoreCaseAndCapitalsWin) {
  EXPECT_EQ(DecodeXmlText("&AMP;&Lt;&quot;&apos;&gt;"), "&<\"'>");
  EXPECT_EQ(DecodeXmlText("&nbsp;&copy;&yen;"), "\xC2\xA0\xC2\xA9\xC2\xA5");
  // Twins differing only in case: the capitalised one answers for both spellings.
  EXPECT_EQ(LookupEntity("agrave"), U'\u00C0');
  EXPECT_EQ(LookupEntity("AGRAVE"), U'\u00C0');
  EXPECT_EQ(LookupEntity("dagger"), U'\u2021');
  EXPECT_EQ(LookupEntity("prime"), U'\u2033');
  EXPECT_EQ(LookupEntity("alpha"), U'\u0391');
  EXPECT_EQ(LookupEntity("larr"), U'\u21D0');
  EXPECT_EQ(LookupEntity("thorn"), U'\u00DE');
  EXPECT_EQ(LookupEntity("yuml"), U'\u0178');
  // Names without a twin keep their one value.
  EXPECT_EQ(LookupEntity("sigmaf"), U'\u03C2');
  EXPECT_EQ(LookupEntity("szlig"), U'\u00DF');
  EXPECT_EQ(LookupEntity("thetasym"), U'\u03D1');
  EXPECT_EQ(LookupEntity("euro"), U'\u20AC');
  EXPECT_EQ(LookupEntity("diams"), U'\u2666');
  EXPECT_EQ(LookupEntity("zwj"), U'\u200D');
  EXPECT_EQ(LookupEntity("empty"), U'\u2205');
  EXPECT_EQ(LookupEntity("lang"), U'\u2329');
  EXPECT_FALSE(LookupEntity("nosuch"));
  EXPECT_FALSE(LookupEntity(""));
  EXPECT_FALSE(LookupEntity("ampx"));
}

TEST(XmlNotes, WritesAttributesInOrderAndEscapesValues) {
  std::string notes;
  AppendNote(notes, XmlNote{"n", "tagname", "\"&'<>", 5, 9});
  AppendNote(notes, XmlNote{"m", {}, {}, std::nullopt, std::nullopt});
  EXPECT_EQ(notes, "<n tagname=\"&quot;&amp;&apos;&lt;&gt;\" offset=\"5\" offset2=\"9\"/><m/>");
}

}  // namespace
}  // namespace tessaly
