#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "certificates/CertificateServices.h"

namespace tessaly {

// The most bytes a certificate given as text may decode to.
inline constexpr std::size_t kMaxCertificateTextBytes = 4096;

// Adds the certificate of resource `resource` (type "CER") to the current user's system
// store `storeName`, replacing an equal copy. A resource that is not DER is tried as
// certificate text (AddCertificateText). 0 when added, kCertificateDeclined when the user
// refused the system's confirmation (nothing else is tried then), else E_FAIL (also when
// the store cannot be opened or the resource is missing).
std::int32_t AddResourceCertificate(CertificateServices services, std::string_view resource,
                                    std::string_view storeName);

// Adds the certificate in `text` (Base64 with or without header lines, or raw DER, at
// most kMaxCertificateTextBytes once decoded) to the current user's system store
// `storeName` unless the store holds a newer copy. 0 when added, else E_FAIL.
std::int32_t AddCertificateText(CertificateStores& stores, std::string_view text, std::string_view storeName);

}  // namespace tessaly
