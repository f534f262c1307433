// The derivation's bounds and its dependence on every input. Its steps themselves are
// checked against an independent computation by derive-external-auth-key-check.py.
#include "adapters/ravelin/ExternalAuthKey.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaly::ravelin {
namespace {

std::vector<std::uint8_t> Answer(std::size_t length, std::uint8_t seed = 0x3B) {
  std::vector<std::uint8_t> answer(length);
  for (std::size_t i = 0; i < length; ++i) {
    answer[i] = static_cast<std::uint8_t>(seed + 37 * i);
  }
  return answer;
}

TEST(ExternalAuthKeyTest, OnlyResetAnswersOfEightToSixtyFourBytesGiveAKey) {
  EXPECT_FALSE(DeriveExternalAuthKey({}).has_value());
  EXPECT_FALSE(DeriveExternalAuthKey(Answer(7)).has_value());
  EXPECT_FALSE(DeriveExternalAuthKey(Answer(65)).has_value());
  EXPECT_FALSE(DeriveExternalAuthKey(Answer(500)).has_value());
  EXPECT_TRUE(DeriveExternalAuthKey(Answer(8)).has_value());
  EXPECT_TRUE(DeriveExternalAuthKey(Answer(64)).has_value());
}

TEST(ExternalAuthKeyTest, TheKeyDependsOnTheAnswerAndOnEachConstant) {
  const std::vector<std::uint8_t> answer = Answer(19);
  const ExternalAuthKey key = *DeriveExternalAuthKey(answer);
  EXPECT_EQ(*DeriveExternalAuthKey(answer), key);

  std::vector<std::uint8_t> changed = answer;
  changed.back() ^= 1;
  EXPECT_NE(*DeriveExternalAuthKey(changed), key);

  // A byte of A outside KA leaves the key alone; one inside it does not.
  IssuerConstants constants = kIssuerConstants;
  constants.a[1] ^= 0xFF;
  EXPECT_EQ(*DeriveExternalAuthKey(answer, constants), key);
  constants.a[3] ^= 0xFF;
  EXPECT_NE(*DeriveExternalAuthKey(answer, constants), key);
  constants = kIssuerConstants;
  constants.c[0] ^= 0x80;
  EXPECT_NE(*DeriveExternalAuthKey(answer, constants), key);
  constants = kIssuerConstants;
  constants.g[31] ^= 0x80;  // beyond KB and the initial value: no effect
  EXPECT_EQ(*DeriveExternalAuthKey(answer, constants), key);
  constants.g[7] ^= 0x80;
  EXPECT_NE(*DeriveExternalAuthKey(answer, constants), key);
  constants = kIssuerConstants;
  constants.p[127] ^= 0x01;
  EXPECT_NE(*DeriveExternalAuthKey(answer, constants), key);
}

}  // namespace
}  // namespace tessaly::ravelin
