#include "tools/itemcheck/JsonText.h"

#include <gtest/gtest.h>

namespace tessaly::itemcheck {
namespace {

std::string Json(std::string_view text) {
  std::string out;
  AppendJsonString(out, text);
  return out;
}

TEST(JsonTextTest, EscapesWhatJsonRequires) {
  EXPECT_EQ(Json("a\"b\\c"), R"("a\"b\\c")");
  EXPECT_EQ(Json("\n\r\t"), R"("\n\r\t")");
  EXPECT_EQ(Json(std::string("\0\x01\x1f", 3)), R"("\u0000\u0001\u001f")");
  EXPECT_EQ(Json(""), R"("")");
}

TEST(JsonTextTest, KeepsUtf8AndReplacesMalformedBytes) {
  EXPECT_EQ(Json("\xE7\xBD\x91\xE9\x93\xB6"), "\"\xE7\xBD\x91\xE9\x93\xB6\"");
  EXPECT_EQ(Json("a\xFF" "b"), "\"a\xEF\xBF\xBD" "b\"");
  EXPECT_EQ(Json("\xE7\xBD"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

}  // namespace
}  // namespace tessaly::itemcheck
