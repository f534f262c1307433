#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "adapters/ravelin/IssuerConstants.h"

namespace tessaly::ravelin {

using ExternalAuthKey = std::array<std::uint8_t, 16>;

// The key's external-authentication key, built from its reset answer and the issuer's
// constants; never stored. Nothing for a reset answer shorter than 8 or longer than 64
// bytes, or when the cipher library fails.
std::optional<ExternalAuthKey> DeriveExternalAuthKey(std::span<const std::uint8_t> resetAnswer,
                                                     const IssuerConstants& constants = kIssuerConstants);

}  // namespace tessaly::ravelin
