#pragma once

#include "platform/CertificateDecoder.h"

namespace tessaly {

// Certificates decoded with OpenSSL, for the native builds: the subject in the X.500 string
// form CryptoAPI writes (short attribute names, ", " between them, encoding order, values
// with special characters in double quotes), UTF-8.
class OpenSslCertificateDecoder final : public CertificateDecoder {
 public:
  std::optional<DecodedCertificate> Decode(std::span<const unsigned char> der) const override;
};

}  // namespace tessaly
