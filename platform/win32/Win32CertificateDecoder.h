#pragma once

#include "platform/CertificateDecoder.h"

namespace tessaly::win32 {

// Certificates decoded with CryptoAPI: the subject through CertNameToStrA in the X.500
// string form (ANSI code page).
class Win32CertificateDecoder final : public CertificateDecoder {
 public:
  std::optional<DecodedCertificate> Decode(std::span<const unsigned char> der) const override;
};

}  // namespace tessaly::win32
