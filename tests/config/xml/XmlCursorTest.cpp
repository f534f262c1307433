#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/xml/XmlReader.h"

namespace tessaly {
namespace {

TEST(XmlCursor, NamesMatchWholeAndCaseSensitively) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<r><entryx/><Entry/><ent id=\"1\"/><entry id=\"2\"/></r>"));
  ASSERT_TRUE(reader.FindNext("r"));
  ASSERT_TRUE(reader.Descend());
  ASSERT_TRUE(reader.FindNext("entry"));  // neither <entryx> nor <Entry>
  EXPECT_EQ(reader.AttrValue("id"), "2");
  reader.Rewind();
  ASSERT_TRUE(reader.FindNext("ent"));  // not <entryx> nor <Entry> either
  EXPECT_EQ(reader.AttrValue("id"), "1");
  EXPECT_FALSE(reader.FindNext("ent"));
  EXPECT_EQ(reader.AttrValue("id"), "1");  // a failed search leaves the cursor
}

TEST(XmlCursor, SearchedNameMayCarrySuffixes) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<r><entry/></r>"));
  ASSERT_TRUE(reader.FindNext("r"));
  ASSERT_TRUE(reader.Descend());
  for (const char* searched : {"entry x", "entry/", "entry=1", "entry[2]", "entry]"}) {
    reader.Rewind();
    EXPECT_TRUE(reader.FindNext(searched)) << searched;
  }
  for (const char* searched : {"entryx", "entry.x", "entry\t", "/entry", "/"}) {
    reader.Rewind();
    EXPECT_FALSE(reader.FindNext(searched)) << searched;
  }
}

TEST(XmlCursor, ElementNameStopsAtPunctuation) {
  // For searching, a name ends at ';' (and the other delimiters) although the tag name
  // that end tags must match runs on.
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<r><a;b>x</a;b><c\nd=\"1\"/></r>"));
  ASSERT_TRUE(reader.FindNext("r"));
  ASSERT_TRUE(reader.Descend());
  EXPECT_TRUE(reader.FindNext("a"));
  EXPECT_EQ(reader.Text(), "x");
  EXPECT_TRUE(reader.FindNext("c"));
  EXPECT_EQ(reader.AttrValue("d"), "1");
  reader.Rewind();
  EXPECT_FALSE(reader.FindNext("a;b"));
}

TEST(XmlCursor, EmptyNameTakesEachElementInTurn) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<r><a n=\"1\"/>text<b n=\"2\"/><!--c--><c n=\"3\"/></r>"));
  ASSERT_TRUE(reader.FindNext(""));
  ASSERT_TRUE(reader.Descend());
  std::string seen;
  while (reader.FindNext("")) seen += reader.AttrValue("n");
  EXPECT_EQ(seen, "123");
}

TEST(XmlCursor, WalksTheTreeInTheLoadersOrder) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse(
      "<config base=\"http://h/\">"
      "<group name=\"g1\"><entry>one</entry><entry>two</entry></group>"
      "<other/>"
      "<group name=\"g2\"><entry>three</entry></group>"
      "</config>"));
  ASSERT_TRUE(reader.FindNext("config"));
  EXPECT_EQ(reader.AttrValue("base"), "http://h/");
  ASSERT_TRUE(reader.Descend());
  std::vector<std::string> transcript;
  while (reader.FindNext("group")) {
    transcript.push_back("group " + reader.AttrValue("name"));
    ASSERT_TRUE(reader.Descend());
    while (reader.FindNext("entry")) transcript.push_back(reader.Text());
    ASSERT_TRUE(reader.Ascend());
  }
  reader.Rewind();
  while (reader.FindNext("other")) transcript.push_back("other");
  EXPECT_EQ(transcript, (std::vector<std::string>{"group g1", "one", "two", "group g2", "three", "other"}));
}

TEST(XmlCursor, AscendAndDescendMoveOneLevel) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<r><a><x/><y id=\"y\"/></a><b id=\"b\"/></r>"));
  EXPECT_FALSE(reader.Ascend());   // document level
  EXPECT_FALSE(reader.Descend());  // no current element yet
  ASSERT_TRUE(reader.FindNext("r"));
  ASSERT_TRUE(reader.Descend());
  ASSERT_TRUE(reader.FindNext("a"));
  ASSERT_TRUE(reader.Descend());
  EXPECT_EQ(reader.AttrValue("id"), "");  // before the first child: no element
  EXPECT_EQ(reader.Text(), "");
  ASSERT_TRUE(reader.FindNext("y"));
  ASSERT_TRUE(reader.Ascend());  // back on a
  ASSERT_TRUE(reader.Descend());  // straight back to y
  EXPECT_EQ(reader.AttrValue("id"), "y");
  EXPECT_FALSE(reader.FindNext(""));
  ASSERT_TRUE(reader.Ascend());
  ASSERT_TRUE(reader.FindNext(""));  // continues after a
  EXPECT_EQ(reader.AttrValue("id"), "b");
  ASSERT_TRUE(reader.Ascend());  // on r at document level
  EXPECT_FALSE(reader.FindNext(""));
  EXPECT_FALSE(reader.Ascend());
  reader.Rewind();
  EXPECT_FALSE(reader.Descend());
  ASSERT_TRUE(reader.FindNext("r"));
  ASSERT_TRUE(reader.Descend());
  ASSERT_TRUE(reader.FindNext(""));
  EXPECT_EQ(reader.AttrValue("id"), "");  // on a again: Rewind cleared the remembered child
}

TEST(XmlCursor, ParseResetsTheCursor) {
  XmlReader reader;
  ASSERT_TRUE(reader.Parse("<r><a id=\"1\"/></r>"));
  ASSERT_TRUE(reader.FindNext("r"));
  ASSERT_TRUE(reader.Descend());
  ASSERT_TRUE(reader.FindNext("a"));
  ASSERT_TRUE(reader.Parse("<s id=\"2\"/>"));
  EXPECT_EQ(reader.AttrValue("id"), "");
  EXPECT_FALSE(reader.Ascend());
  ASSERT_TRUE(reader.FindNext("s"));
  EXPECT_EQ(reader.AttrValue("id"), "2");
}

TEST(XmlCursor, UnsoundDocumentsCanStillBeWalked) {
  XmlReader reader;
  ASSERT_FALSE(reader.Parse("<a id=\"1\"/><b><c id=\"3\"/>"));
  ASSERT_TRUE(reader.FindNext("a"));
  ASSERT_TRUE(reader.FindNext("b"));
  ASSERT_TRUE(reader.Descend());
  EXPECT_FALSE(reader.FindNext(""));  // b lost its child to the top level
  ASSERT_TRUE(reader.Ascend());
  ASSERT_TRUE(reader.FindNext("c"));
  EXPECT_EQ(reader.AttrValue("id"), "3");
}

}  // namespace
}  // namespace tessaly
