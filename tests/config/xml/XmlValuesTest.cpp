#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "config/xml/XmlReader.h"

namespace tessaly {
namespace {

// Parses `document`, whose root is the element under test, and stands on it.
class OnRoot {
 public:
  explicit OnRoot(std::string document) {
    reader_.Parse(std::move(document));
    found_ = reader_.FindNext("");
  }
  std::string Attr(std::string_view name) const { return found_ ? reader_.AttrValue(name) : "<no root>"; }
  std::string Text() const { return found_ ? reader_.Text() : "<no root>"; }

 private:
  XmlReader reader_;
  bool found_ = false;
};

TEST(XmlAttrValue, ReadsQuotedAndUnquotedValues) {
  EXPECT_EQ(OnRoot("<a b=\"1\" c='2' d=3 e = \"4\"/>").Attr("b"), "1");
  EXPECT_EQ(OnRoot("<a b=\"1\" c='2' d=3 e = \"4\"/>").Attr("c"), "2");
  EXPECT_EQ(OnRoot("<a b=\"1\" c='2' d=3 e = \"4\"/>").Attr("d"), "3");
  EXPECT_EQ(OnRoot("<a b=\"1\" c='2' d=3 e = \"4\"/>").Attr("e"), "4");
  EXPECT_EQ(OnRoot("<a b = 'x>y'></a>").Attr("b"), "x>y");
  EXPECT_EQ(OnRoot("<a b=\"it's\"/>").Attr("b"), "it's");
  EXPECT_EQ(OnRoot("<a b=1/>").Attr("b"), "1/");
  EXPECT_EQ(OnRoot("<a b=x/y?z></a>").Attr("b"), "x/y?z");
  EXPECT_EQ(OnRoot("<a b=></a>").Attr("b"), "");
  EXPECT_EQ(OnRoot("<a\tb\n=\r\"1\"/>").Attr("b"), "1");
}

TEST(XmlAttrValue, ValuelessAttributeAnswersItsName) {
  EXPECT_EQ(OnRoot("<a checked></a>").Attr("checked"), "checked");
  EXPECT_EQ(OnRoot("<a checked other=\"1\"/>").Attr("checked"), "checked");
  EXPECT_EQ(OnRoot("<a checked other=\"1\"/>").Attr("other"), "1");
  EXPECT_EQ(OnRoot("<a first second/>").Attr("first"), "first");
  EXPECT_EQ(OnRoot("<a first second/>").Attr("second"), "second");
}

TEST(XmlAttrValue, MissingAttributesAnswerEmpty) {
  EXPECT_EQ(OnRoot("<a Name=\"x\"/>").Attr("name"), "");  // names are case-sensitive
  EXPECT_EQ(OnRoot("<a b=\"1\"/>").Attr("a"), "");        // the tag name is no attribute
  EXPECT_EQ(OnRoot("<a bc=\"1\"/>").Attr("b"), "");
  EXPECT_EQ(OnRoot("<a b=\"c=1\"/>").Attr("c"), "");
  EXPECT_EQ(OnRoot("<a b=\"1\"/>").Attr(""), "");
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<a b=\"1\"/>"));
  EXPECT_EQ(reader.AttrValue("b"), "");  // no current element before FindNext
}

TEST(XmlAttrValue, ValuesAreDecoded) {
  EXPECT_EQ(OnRoot("<a b=\"x &lt;&amp;&gt; &#x41;&quot;\"/>").Attr("b"), "x <&> A\"");
  EXPECT_EQ(OnRoot("<a b=\"&#x4e2d;\"/>").Attr("b"), "\xE4\xB8\xAD");
  EXPECT_EQ(OnRoot("<a b=\"&bogus;\"/>").Attr("b"), "&bogus;");
}

TEST(XmlText, DecodesContentWithoutMarkupWhole) {
  EXPECT_EQ(OnRoot("<a>  x &amp; y\r\n</a>").Text(), "  x & y\r\n");
  EXPECT_EQ(OnRoot("<a>   </a>").Text(), "   ");
  EXPECT_EQ(OnRoot("<a></a>").Text(), "");
}

TEST(XmlText, JoinsTextAndCdataAroundOtherMarkup) {
  EXPECT_EQ(OnRoot("<a>x &amp; y<![CDATA[<z>]]></a>").Text(), "x & y<z>");
  EXPECT_EQ(OnRoot("<a> <![CDATA[q]]> </a>").Text(), "q");
  EXPECT_EQ(OnRoot("<a>x<!-- c -->y<?p ?>z</a>").Text(), "xyz");
  EXPECT_EQ(OnRoot("<a> x <!-- c --> </a>").Text(), " x ");
  EXPECT_EQ(OnRoot("<a><![CDATA[&amp; ]]]></a>").Text(), "&amp; ]");  // CDATA stays raw
  EXPECT_EQ(OnRoot("<a><![C]]></a>").Text(), "");
}

TEST(XmlText, ElementsWithoutOwnTextAnswerEmpty) {
  EXPECT_EQ(OnRoot("<a>text<b/>more</a>").Text(), "");  // has a child element
  EXPECT_EQ(OnRoot("<a/>").Text(), "");
  EXPECT_EQ(OnRoot("<a>unended").Text(), "");
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<a>x</a>"));
  EXPECT_EQ(reader.Text(), "");  // no current element
}

TEST(XmlAttrValue, MovedReaderAnswersFromItsOwnDocument) {
  // A short document lives inside the string object itself, so moving the reader moves
  // the bytes that earlier answers pointed into.
  auto reader = std::make_unique<XmlReader>();
  ASSERT_TRUE(reader->Parse("<a b=1 c=2 />"));
  ASSERT_TRUE(reader->FindNext("a"));
  ASSERT_EQ(reader->AttrValue("b"), "1");
  XmlReader moved(std::move(*reader));
  reader.reset();
  EXPECT_EQ(moved.AttrValue("c"), "2");
  EXPECT_EQ(moved.AttrValue("b"), "1");
}

}  // namespace
}  // namespace tessaly
