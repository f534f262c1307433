#include "tests/fakes/StandInTokenFile.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

std::optional<std::string> Files(const std::string& path) {
  if (path == "C:\\certs\\li lei.der") {
    return std::string("DER1");
  }
  return std::nullopt;
}

TEST(StandInTokenFileTest, ReadsTokensAndTheirCertificates) {
  const auto tokens = ReadTokenFile(
      "# two keys\n\ntoken FT01 80000 0\ncertificate C:\\certs\\li lei.der\ntoken FT02 0 6\n",
      &Files);
  ASSERT_TRUE(tokens);
  ASSERT_EQ(tokens->size(), 2u);
  EXPECT_EQ((*tokens)[0].serial, "FT01");
  EXPECT_EQ((*tokens)[0].flags, CK_FLAGS{0x80000});
  EXPECT_EQ((*tokens)[0].pinTriesLeft, 0);
  EXPECT_EQ((*tokens)[0].certificates, std::vector<std::string>{"DER1"});
  EXPECT_EQ((*tokens)[1].pinTriesLeft, 6);
  EXPECT_TRUE((*tokens)[1].certificates.empty());
}

TEST(StandInTokenFileTest, RefusesWhatItCannotUnderstand) {
  for (const char* text : {"token FT01 0\n", "certificate C:\\certs\\li lei.der\n",
                           "token FT01 0 6\ncertificate C:\\missing.der\n", "slot 1\n"}) {
    EXPECT_FALSE(ReadTokenFile(text, &Files)) << text;
  }
  EXPECT_TRUE(ReadTokenFile("", &Files)->empty());
}

}  // namespace
}  // namespace tessaly
