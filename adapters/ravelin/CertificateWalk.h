#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "adapters/ravelin/TokenManager.h"

namespace tessaly::ravelin {

enum class KeySpec : std::uint32_t { Exchange = 1, Signature = 2 };

// Visits every certificate of a key: container by container from the first, in each the
// signature key's and then the exchange key's. `visit` answers whether to go on. A token
// manager that never reports the end of its containers is cut off after kMaxContainers.
// `oldMiddleware` selects the shorter call form of middleware before 3.3.8.
void WalkCertificates(TokenManager& tokens, TokenDevice device, bool oldMiddleware,
                      const std::function<bool(std::span<const std::uint8_t> der)>& visit);

inline constexpr int kMaxContainers = 64;

}  // namespace tessaly::ravelin
