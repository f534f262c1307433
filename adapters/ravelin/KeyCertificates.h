#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tessaly::ravelin {

// What the exports read of a certificate found on a key.
struct KeyCertificate {
  std::string commonName;  // subject attribute 2.5.4.3, at most 259 characters
  std::string issuer;      // the issuer as one text, at most 511 characters
  std::int64_t notBefore = 0;  // seconds since 1970 (UTC)
  std::int64_t notAfter = 0;
};

// The platform's certificate services (CryptoAPI on Windows).
class CertificateReader {
 public:
  virtual ~CertificateReader() = default;
  // Nothing when the bytes make no certificate.
  virtual std::optional<KeyCertificate> Read(std::span<const std::uint8_t> der) const = 0;
  // The error status of the certificate's chain built now by the system's default engine;
  // nothing when no chain could be built.
  virtual std::optional<std::uint32_t> ChainErrorStatus(std::span<const std::uint8_t> der) const = 0;
};

// The chain error that a key's certificate check tolerates.
inline constexpr std::uint32_t kChainNotTimeValid = 0x00000001;  // CERT_TRUST_IS_NOT_TIME_VALID

}  // namespace tessaly::ravelin
