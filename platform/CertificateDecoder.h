#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tessaly {

// What a key adapter reads out of a DER-encoded X.509 certificate.
struct DecodedCertificate {
  // The subject in the X.500 string form ("C=CN, O=Bank, CN=Li Lei"), in the order the
  // certificate encodes it; single-byte text (the ANSI code page on Windows, UTF-8 natively).
  std::string subject{};
  // The validity period, in seconds since 1970-01-01 00:00:00 UTC.
  std::int64_t notBefore = 0;
  std::int64_t notAfter = 0;
};

// Decodes certificates with the platform's own library (CryptoAPI on Windows).
class CertificateDecoder {
 public:
  virtual ~CertificateDecoder() = default;
  // Nothing when the bytes are no certificate.
  virtual std::optional<DecodedCertificate> Decode(std::span<const unsigned char> der) const = 0;
};

}  // namespace tessaly
