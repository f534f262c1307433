#include "diagnosis/HexText.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(HexText, RendersEveryByteAsTwoUpperCaseDigits) {
  const std::vector<std::uint8_t> bytes = {0x00, 0x0F, 0xA0, 0x5C, 0xFF};
  EXPECT_EQ(HexText(bytes), "000FA05CFF");
  EXPECT_EQ(HexText({}), "");
}

TEST(HexText, ReadsPairsOfEitherCaseAndNeverRefusesAText) {
  EXPECT_EQ(BytesOfHexText("411f0000AdBa"),
            (std::vector<std::uint8_t>{0x41, 0x1F, 0x00, 0x00, 0xAD, 0xBA}));
  // A character that is no digit counts as 0; it does not shift the pairs after it.
  EXPECT_EQ(BytesOfHexText("G1z!7f"), (std::vector<std::uint8_t>{0x01, 0x00, 0x7F}));
  // An odd last character has no partner and is dropped.
  EXPECT_EQ(BytesOfHexText("abc"), (std::vector<std::uint8_t>{0xAB}));
  EXPECT_EQ(BytesOfHexText("a"), std::vector<std::uint8_t>{});
  EXPECT_EQ(BytesOfHexText(""), std::vector<std::uint8_t>{});
}

TEST(HexText, BytesSurviveTheRoundTrip) {
  std::vector<std::uint8_t> every(256);
  for (std::size_t i = 0; i < every.size(); ++i) {
    every[i] = static_cast<std::uint8_t>(i);
  }
  EXPECT_EQ(BytesOfHexText(HexText(every)), every);
}

}  // namespace
}  // namespace tessaly
