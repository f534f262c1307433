#pragma once

#include <array>
#include <cstdint>

namespace tessaly::ravelin {

// The key issuer's constants of the external-authentication key scheme. They are deployment
// data, not code: the build generates their definition from one file (cmake/IssuerConstants.cmake),
// the issuer's in a release build and documented stand-ins everywhere else.
struct IssuerConstants {
  std::array<std::uint8_t, 48> a;   // every third byte, from the first, forms the key KA
  std::array<std::uint8_t, 16> c;   // index multipliers of the fill; XORed into KB
  std::array<std::uint8_t, 128> p;  // pad of the fill
  std::array<std::uint8_t, 32> g;   // KB (with C) and the last chaining's initial value
};

extern const IssuerConstants kIssuerConstants;

}  // namespace tessaly::ravelin
