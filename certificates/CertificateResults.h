#pragma once

#include <cstdint>

namespace tessaly {

// The certificate operations answer as COM does: 0 for success and E_FAIL (0x80004005,
// negative as a 32-bit integer) for "not present" or "not added". Callers test for a
// negative value only.
inline constexpr std::int32_t kCertificateOk = 0;
inline constexpr std::int32_t kCertificateFail = static_cast<std::int32_t>(0x80004005u);
// The user answered "No" to the system's confirmation of an add (HRESULT of
// ERROR_CANCELLED): a failure like any other to callers, but one that must not be asked
// again.
inline constexpr std::int32_t kCertificateDeclined = static_cast<std::int32_t>(0x800704C7u);

}  // namespace tessaly
