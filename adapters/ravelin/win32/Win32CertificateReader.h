#pragma once

#include "adapters/ravelin/KeyCertificates.h"

namespace tessaly::ravelin::win32 {

// Certificates of a key read and chained by CryptoAPI.
class Win32CertificateReader final : public CertificateReader {
 public:
  std::optional<KeyCertificate> Read(std::span<const std::uint8_t> der) const override;
  std::optional<std::uint32_t> ChainErrorStatus(std::span<const std::uint8_t> der) const override;
};

}  // namespace tessaly::ravelin::win32
