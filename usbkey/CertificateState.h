#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Clock.h"

namespace tessaly {

// Certificate states of the key panel (its items 7 and 10).
inline constexpr std::int32_t kCertificateOldNotRevoked = 1;
inline constexpr std::int32_t kCertificateValid = 2;
inline constexpr std::int32_t kCertificateRenewSoon = 3;
inline constexpr std::int32_t kCertificateExpired = 4;

// The state of a certificate from its end-of-validity text ("2016-05-20" or "2016-5-20"):
// expired from local midnight of that day on, due for renewal from local midnight one
// calendar month earlier, valid before. Nothing when the text is no date the key panel
// understands, or the clock cannot place it.
std::optional<std::int32_t> CertificateStateOf(std::string_view notAfter, const Clock& clock);

}  // namespace tessaly
