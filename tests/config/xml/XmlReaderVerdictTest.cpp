#include <gtest/gtest.h>

#include <string>

#include "TableInvariants.h"
#include "config/xml/XmlReader.h"

namespace tessaly {
namespace {

struct VerdictCase {
  std::string document;
  bool sound;
  std::string notes;
};

void ExpectVerdicts(const std::vector<VerdictCase>& cases) {
  XmlReader reader;
  for (const VerdictCase& c : cases) {
    EXPECT_EQ(reader.Parse(c.document), c.sound) << c.document;
    EXPECT_EQ(reader.Notes(), c.notes) << c.document;
  }
}

TEST(XmlReaderVerdict, EmptyOrElementlessTextsAreUnsound) {
  ExpectVerdicts({
      {"", false, ""},
      {"just text", false, "<no_root_element/>"},
      {"<?xml version=\"1.0\"?><!-- only a comment -->", false, "<no_root_element/>"},
  });
}

TEST(XmlReaderVerdict, OneTopLevelElementMakesASoundDocument) {
  ExpectVerdicts({
      {"<a/>", true, ""},
      {"<a/><b/>", false, "<root_has_sibling/>"},
      // What stands outside the root does not matter: a byte-order mark, stray text,
      // declarations, comments, document types.
      {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!DOCTYPE r [<!ENTITY e \"x\">]>"
       "<!-- c --><r a=\"1\"><b>t</b></r>\r\n trailing <?pi?>",
       true, ""},
      {"<a b=\"1\"/>", true, ""},
      {"<a b=1 />", true, ""},
  });
}

TEST(XmlReaderVerdict, BadMarkupAnywhereMakesItUnsound) {
  ExpectVerdicts({
      {"<a><b></a>", false, "<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"7\"/>"},
      {"<a></x></a>", false, "<lone_end_tag tagname=\"x\" offset=\"3\"/>"},
      {"<a><!-x></a>", false, "<comment_tag_syntax offset=\"3\"/>"},
      // "1/" is the value of b, so the element stays open to the end.
      {"<a b=1/>", false, "<unended_start_tag tagname=\"a\" offset=\"0\" offset2=\"8\"/>"},
      {"<r/><!x>", false, "<exclamation_tag_syntax offset=\"4\"/>"},
      {"<r/></r>", false, "<lone_end_tag tagname=\"r\" offset=\"4\"/>"},
      {"<r>a < b</r>", false, "<first_tag_syntax offset=\"5\"/>"},
      {"<r><![x]]></r>", false, "<cdata_section_syntax offset=\"3\"/>"},
      {"<!DOCTYPE r [<!x>]><r/>", false, "<doctype_tag_syntax offset=\"0\"/>"},
  });
}

TEST(XmlReaderVerdict, UnterminatedMarkupNotesItsKindOnce) {
  ExpectVerdicts({
      {"<r><!-- open", false,
       "<unterminated_tag_syntax type=\"comment\" offset=\"3\"/>"
       "<unended_start_tag tagname=\"r\" offset=\"0\" offset2=\"12\"/>"},
      {"<r></r", false, "<unterminated_tag_syntax type=\"end_tag\" offset=\"3\"/>"
                        "<unended_start_tag tagname=\"r\" offset=\"0\" offset2=\"6\"/>"},
      {"<r/><", false, "<unterminated_tag_syntax type=\"tag\" offset=\"4\"/>"},
      {"<r/><!x", false, "<unterminated_tag_syntax type=\"tag\" offset=\"4\"/>"},
      {"<r/><a b='", false, "<unterminated_tag_syntax type=\"start_tag\" offset=\"4\"/>"},
  });
}

TEST(XmlReaderVerdict, NoteValuesAreEscaped) {
  XmlReader reader;
  EXPECT_FALSE(reader.Parse("<r></a\"&'<></r>"));
  EXPECT_EQ(reader.Notes(), "<lone_end_tag tagname=\"a&quot;&amp;&apos;&lt;\" offset=\"3\"/>");
}

TEST(XmlReaderVerdict, NotesStopOnceTheyPassTheLimit) {
  std::string document = "<r>";
  for (int i = 0; i < 100; ++i) document += "</x>";
  document += "</r>";
  XmlReader reader;
  EXPECT_FALSE(reader.Parse(document));
  const std::string& notes = reader.Notes();
  // Notes at offsets 3, 7, ... are 38 bytes long, from offset 11 on 39: the 26th note
  // starts at byte 973, ends at 1013, and is the last one kept whole.
  EXPECT_EQ(notes.size(), 1013u);
  EXPECT_EQ(notes.substr(973), "<lone_end_tag tagname=\"x\" offset=\"103\"/>");
}

TEST(XmlReaderVerdict, ParseReplacesTheEarlierDocument) {
  XmlReader reader;
  EXPECT_FALSE(reader.Parse("<a></x>"));
  EXPECT_TRUE(reader.Parse("<b/>"));
  EXPECT_EQ(reader.Notes(), "");
  EXPECT_EQ(reader.ElementCount(), 1u);
  EXPECT_EQ(reader.Table()[0].flags, 0u);
}

std::string Repeat(std::string_view piece, std::size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(XmlReaderVerdict, TagsUpToTheRecordLimitsAreAccepted) {
  XmlReader reader;
  // A start tag of exactly 4,194,303 bytes, an end tag of 1,023, depth 65,535.
  const std::string longTag = "<a v=\"" + std::string(4194303 - 9, 'x') + "\"/>";
  ASSERT_EQ(longTag.size(), 4194303u);
  EXPECT_TRUE(reader.Parse("<r>" + longTag + "</r>"));
  EXPECT_EQ(reader.Table()[2].tagLengths, 4194303u);

  const std::string name(1020, 'n');
  EXPECT_TRUE(reader.Parse("<" + name + "></" + name + ">"));
  EXPECT_EQ(reader.Table()[1].tagLengths >> 22, 1023u);

  EXPECT_TRUE(reader.Parse(Repeat("<a>", 65536) + Repeat("</a>", 65536)));
  EXPECT_EQ(reader.Table()[65536].flags & kDepthMask, 65535u);
  EXPECT_EQ(testing_support::CheckTableLinks(reader), "");
}

TEST(XmlReaderVerdict, TagsBeyondTheRecordLimitsAreRefused) {
  XmlReader reader;
  const std::string longTag = "<a v=\"" + std::string(4194304 - 9, 'x') + "\"/>";
  EXPECT_FALSE(reader.Parse("<r>" + longTag + "</r>"));
  EXPECT_EQ(reader.Notes(), "<start_tag_too_long offset=\"3\"/>");
  EXPECT_EQ(reader.ElementCount(), 1u);
  EXPECT_EQ(reader.Table()[1].flags & kFlagBadContent, kFlagBadContent);

  const std::string name(1021, 'n');
  EXPECT_FALSE(reader.Parse("<" + name + "></" + name + ">"));
  EXPECT_EQ(reader.Notes(), "<end_tag_too_long offset=\"1023\"/><unended_start_tag tagname=\"" + name +
                                "\" offset=\"0\" offset2=\"2047\"/>");

  // The 65,537th nested element would be at depth 65,536: it is neither entered nor
  // opened, so its end tag is a stray one.
  EXPECT_FALSE(reader.Parse(Repeat("<a>", 65537) + Repeat("</a>", 65537)));
  EXPECT_EQ(reader.ElementCount(), 65536u);
  EXPECT_EQ(reader.Notes().substr(0, 60),
            "<element_too_deep offset=\"196608\"/><lone_end_tag tagname=\"a\"");
  EXPECT_EQ(testing_support::CheckTableLinks(reader), "");
}

TEST(XmlReaderVerdict, DeepUnendedDocumentsFinish) {
  // Every element is open at the end; moving children level by level would take
  // quadratic time here. Stray end tags against a deep stack must stay cheap as well.
  XmlReader reader;
  EXPECT_FALSE(reader.Parse(Repeat("<a>", 60000)));
  EXPECT_EQ(reader.ElementCount(), 60000u);
  EXPECT_EQ(reader.Table()[60000].flags & kFlagUnended, kFlagUnended);
  EXPECT_EQ(reader.Table()[1].nextSibling, 2u);
  EXPECT_EQ(reader.Table()[1].previousSibling, 60000u);
  EXPECT_EQ(testing_support::CheckTableLinks(reader), "");

  EXPECT_FALSE(reader.Parse(Repeat("<a>", 60000) + Repeat("</b>", 200000) + Repeat("</a>", 60000)));
  EXPECT_EQ(reader.Table()[60000].flags & (kFlagBadContent | kFlagUnended), kFlagBadContent);
  EXPECT_EQ(reader.Table()[0].firstChild, 1u);
  EXPECT_EQ(reader.Table()[1].nextSibling, 0u);

  // Alternating deep matches: each end tag unends the element just opened inside it.
  EXPECT_FALSE(reader.Parse(Repeat("<a><b>", 30000) + Repeat("</a>", 30000)));
  EXPECT_EQ(testing_support::CheckTableLinks(reader), "");
  EXPECT_EQ(reader.Table()[2].flags & kFlagUnended, kFlagUnended);
  EXPECT_EQ(reader.Table()[1].flags & kFlagUnended, 0u);
}

}  // namespace
}  // namespace tessaly
