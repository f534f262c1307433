#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>

#include "TableInvariants.h"
#include "config/xml/XmlReader.h"

namespace tessaly {
namespace {

using testing_support::CheckTableLinks;
using Fields = std::array<std::int64_t, 8>;

Fields FieldsOf(const ElementRecord& r) {
  return {r.start, r.length, r.tagLengths, r.flags, r.parent, r.firstChild, r.nextSibling, r.previousSibling};
}

constexpr std::uint32_t Tags(std::uint32_t startTag, std::uint32_t endTag) { return startTag | endTag << 22; }

TEST(XmlTableShape, RecordsOfASoundDocument) {
  XmlReader reader;
  //                   0  3        12 17  21 24 27  31  35
  ASSERT_TRUE(reader.Parse("<r><a x=\"1\">t</a><b/><c><d></d></c></r>"));
  const ElementTable& t = reader.Table();
  ASSERT_EQ(reader.ElementCount(), 5u);
  EXPECT_EQ(FieldsOf(t[0]), (Fields{0, 39, 0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(FieldsOf(t[1]), (Fields{0, 39, Tags(3, 4), 0 | kFlagFirstChild, 0, 2, 0, 1}));
  EXPECT_EQ(FieldsOf(t[2]), (Fields{3, 14, Tags(9, 4), 1 | kFlagFirstChild, 1, 0, 3, 4}));
  EXPECT_EQ(FieldsOf(t[3]), (Fields{17, 4, Tags(4, 0), 1, 1, 0, 4, 2}));
  EXPECT_EQ(FieldsOf(t[4]), (Fields{21, 14, Tags(3, 4), 1, 1, 5, 0, 3}));
  EXPECT_EQ(FieldsOf(t[5]), (Fields{24, 7, Tags(3, 4), 2 | kFlagFirstChild, 4, 0, 0, 5}));
}

TEST(XmlTableShape, UnendedElementStaysWithoutEndTag) {
  XmlReader reader;
  EXPECT_FALSE(reader.Parse("<a><b></a>"));
  EXPECT_EQ(reader.Notes(), "<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"7\"/>");
  const ElementTable& t = reader.Table();
  EXPECT_EQ(FieldsOf(t[1]), (Fields{0, 10, Tags(3, 4), kFlagFirstChild, 0, 2, 0, 1}));
  EXPECT_EQ(FieldsOf(t[2]), (Fields{3, 3, Tags(3, 0), 1 | kFlagFirstChild | kFlagUnended, 1, 0, 0, 2}));
  EXPECT_EQ(t[0].flags, kFlagDocumentUnsound);
}

TEST(XmlTableShape, UnendedElementsHandTheirChildrenToTheMatchedElement) {
  XmlReader reader;
  // Open when </r> arrives: r, a, d. d's children follow d, then a's (b, d, e, f) follow a.
  //                        0  3  6 7  10  14 17  21  25
  EXPECT_FALSE(reader.Parse("<r><a>X<b></b><d><e/><f/></r>"));
  const ElementTable& t = reader.Table();
  EXPECT_EQ(FieldsOf(t[1]), (Fields{0, 29, Tags(3, 4), kFlagFirstChild, 0, 2, 0, 1}));
  EXPECT_EQ(FieldsOf(t[2]), (Fields{3, 3, Tags(3, 0), 1 | kFlagFirstChild | kFlagUnended, 1, 0, 3, 6}));
  EXPECT_EQ(FieldsOf(t[3]), (Fields{7, 7, Tags(3, 4), 2, 1, 0, 4, 2}));  // no longer a first child
  EXPECT_EQ(FieldsOf(t[4]), (Fields{14, 3, Tags(3, 0), 2 | kFlagUnended, 1, 0, 5, 3}));
  // Depth records the nesting at which the start tag was read.
  EXPECT_EQ(FieldsOf(t[5]), (Fields{17, 4, Tags(4, 0), 3, 1, 0, 6, 4}));
  EXPECT_EQ(FieldsOf(t[6]), (Fields{21, 4, Tags(4, 0), 3, 1, 0, 0, 5}));
  EXPECT_EQ(reader.Notes(),
            "<unended_start_tag tagname=\"d\" offset=\"14\" offset2=\"26\"/>"
            "<unended_start_tag tagname=\"a\" offset=\"3\" offset2=\"26\"/>");
}

TEST(XmlTableShape, BadContentFlagPassesDownToTheMatchedElement) {
  XmlReader reader;
  //                        0  3  6  9 11
  EXPECT_FALSE(reader.Parse("<r><a><d>< </r><s/>"));
  const ElementTable& t = reader.Table();
  EXPECT_NE(t[3].flags & kFlagBadContent, 0u);  // d: where the bad markup stood
  EXPECT_NE(t[2].flags & kFlagBadContent, 0u);
  EXPECT_NE(t[1].flags & kFlagBadContent, 0u);  // r now holds that content
  EXPECT_EQ(t[4].flags & kFlagBadContent, 0u);
  EXPECT_EQ(reader.Notes(),
            "<first_tag_syntax offset=\"9\"/>"
            "<unended_start_tag tagname=\"d\" offset=\"6\" offset2=\"12\"/>"
            "<unended_start_tag tagname=\"a\" offset=\"3\" offset2=\"12\"/>"
            "<root_has_sibling/>");
}

TEST(XmlTableShape, ElementsOpenAtTheEndMoveToDocumentLevel) {
  XmlReader reader;
  EXPECT_FALSE(reader.Parse("<a><b><c/>"));
  const ElementTable& t = reader.Table();
  EXPECT_EQ(FieldsOf(t[0]), (Fields{0, 10, 0, kFlagDocumentUnsound, 0, 1, 0, 0}));
  EXPECT_EQ(FieldsOf(t[1]), (Fields{0, 3, Tags(3, 0), kFlagFirstChild | kFlagUnended, 0, 0, 2, 3}));
  EXPECT_EQ(FieldsOf(t[2]), (Fields{3, 3, Tags(3, 0), 1 | kFlagUnended, 0, 0, 3, 1}));
  EXPECT_EQ(FieldsOf(t[3]), (Fields{6, 4, Tags(4, 0), 2, 0, 0, 0, 2}));
  EXPECT_EQ(reader.Notes(),
            "<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"10\"/>"
            "<unended_start_tag tagname=\"a\" offset=\"0\" offset2=\"10\"/>"
            "<root_has_sibling/>");
}

TEST(XmlTableShape, DeepMatchesFindTheInnermostOfTheirName) {
  // Deep enough that end tags are matched through the name index, with names repeating.
  std::string document = "<r>";
  for (int i = 0; i < 40; ++i) document += "<p>";
  document += "<q>";
  for (int i = 0; i < 40; ++i) document += "<p>";
  const std::size_t closeQ = document.size();
  document += "</q></q></p></x>";  // closes q over 40 unended p, then a lone q, p, x
  for (int i = 0; i < 39; ++i) document += "</p>";
  document += "</r>";
  XmlReader reader;
  EXPECT_FALSE(reader.Parse(document));
  EXPECT_EQ(CheckTableLinks(reader), "");
  const ElementTable& t = reader.Table();
  const std::uint32_t q = 42;
  EXPECT_EQ(t[q].length, closeQ + 4 - static_cast<std::size_t>(t[q].start));
  for (std::uint32_t inner = q + 1; inner <= q + 40; ++inner) {
    EXPECT_EQ(t[inner].flags & kFlagUnended, kFlagUnended);
    EXPECT_EQ(t[inner].parent, q);
  }
  // The stray </q> stands in the 40th p, which the next </p> closes; </x> in the 39th.
  EXPECT_EQ(t[41].flags & (kFlagUnended | kFlagBadContent), kFlagBadContent);
  EXPECT_EQ(t[40].flags & (kFlagUnended | kFlagBadContent), kFlagBadContent);
  EXPECT_EQ(t[1].flags & (kFlagUnended | kFlagBadContent), 0u);
  EXPECT_EQ(t[1].length, document.size());
}

// Random mixtures of sound and broken markup must always leave consistent links, and
// records that stay inside the document.
TEST(XmlTableShape, LinksStayConsistentOnRandomMarkup) {
  const char* const pieces[] = {"<a>", "</a>", "<b x='>'>", "</b>", "<c/>", "</c>", "text", "< ",
                                "<!-", "<!--c-->", "<![CDATA[<a>]]>", "</", "<a b=1/>", "&amp;"};
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
  XmlReader reader;
  for (int round = 0; round < 2000; ++round) {
    std::string document;
    const int count = 1 + round % 60;
    for (int i = 0; i < count; ++i) document += pieces[pick(random)];
    reader.Parse(document);
    ASSERT_EQ(CheckTableLinks(reader), "") << document;
    for (std::uint32_t e = 1; e <= reader.ElementCount(); ++e) {
      const ElementRecord& r = reader.Table()[e];
      ASSERT_LE(static_cast<std::size_t>(r.start) + r.length, document.size()) << document;
      ASSERT_EQ(document[static_cast<std::size_t>(r.start)], '<') << document;
    }
  }
}

}  // namespace
}  // namespace tessaly
