#include "diagnosis/JsonLinesPageSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "tests/fakes/RecordingPageSink.h"

namespace tessaly {
namespace {

TEST(JsonLinesPageSinkTest, EveryPageFunctionBecomesOneLine) {
  std::ostringstream out;
  JsonLinesPageSink sink(out);
  sink.setState(0, 2, 1002);
  sink.setState(2, 3, -2147483647 - 1);
  sink.setState(1, 8, u"Internet Explorer 8");
  sink.clearState(804, 12);
  sink.setTab(u"one", 5, 5);
  sink.ShowDivc(1);
  sink.setUserTypeUI();

  EXPECT_EQ(out.str(),
            "{\"fn\":\"setState\",\"args\":[0,2,1002]}\n"
            "{\"fn\":\"setState\",\"args\":[2,3,-2147483648]}\n"
            "{\"fn\":\"setState\",\"args\":[1,8,\"Internet Explorer 8\"]}\n"
            "{\"fn\":\"clearState\",\"args\":[804,12]}\n"
            "{\"fn\":\"setTab\",\"args\":[\"one\",5,5]}\n"
            "{\"fn\":\"ShowDivc\",\"args\":[1]}\n"
            "{\"fn\":\"setUserTypeUI\",\"args\":[]}\n");
}

TEST(JsonLinesPageSinkTest, TextsAreEscapedAndWrittenAsUtf8) {
  EXPECT_EQ(JsonString(u""), "\"\"");
  EXPECT_EQ(JsonString(u"a\"b\\c/d"), "\"a\\\"b\\\\c/d\"");
  EXPECT_EQ(JsonString(u"\b\f\n\r\t"), "\"\\b\\f\\n\\r\\t\"");
  EXPECT_EQ(JsonString(std::u16string(u"\x01\x1f", 2)), "\"\\u0001\\u001f\"");
  EXPECT_EQ(JsonString(std::u16string(1, u'\0')), "\"\\u0000\"") << "a zero does not end it";
  EXPECT_EQ(JsonString(u"检测完毕"), "\"\xE6\xA3\x80\xE6\xB5\x8B\xE5\xAE\x8C\xE6\xAF\x95\"");
  EXPECT_EQ(JsonString(u"\U0001F600"), "\"\xF0\x9F\x98\x80\"") << "a surrogate pair";
}

TEST(JsonLinesPageSinkTest, LoneSurrogatesSurviveAsEscapes) {
  EXPECT_EQ(JsonString(std::u16string{u'x', char16_t{0xD800}}), "\"x\\ud800\"");
  EXPECT_EQ(JsonString(std::u16string{char16_t{0xDC00}, u'y'}), "\"\\udc00y\"");
  EXPECT_EQ(JsonString(std::u16string{char16_t{0xDBFF}, char16_t{0xDBFF}, char16_t{0xDFFF}}),
            "\"\\udbff\xF4\x8F\xBF\xBF\"")
      << "a high surrogate followed by a pair";
}

TEST(JsonLinesPageSinkTest, CallsAreHandedOnToTheNextPage) {
  std::ostringstream out;
  RecordingPageSink page;
  JsonLinesPageSink sink(out, &page);
  sink.setState(1, 1, u"Windows XP");
  sink.clearState(804, 2);
  sink.setTab(u"one", 1, 5);
  sink.ShowDivc(1);
  sink.setUserTypeUI();

  EXPECT_EQ(page.Calls(), (std::vector<PageCall>{
                              PageCall::SetState(1, 1, u"Windows XP"), PageCall::ClearState(804, 2),
                              PageCall::SetTab(u"one", 1, 5), PageCall::ShowDivc(1),
                              PageCall::SetUserTypeUI()}));
  const std::string lines = out.str();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 5);
}

}  // namespace
}  // namespace tessaly
