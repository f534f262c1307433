#pragma once

#include "platform/CertificateStores.h"

namespace tessaly::win32 {

// The current user's certificate stores through the CryptoAPI.
class Win32CertificateStores final : public CertificateStores {
 public:
  std::unique_ptr<CertificateStore> OpenCurrentUserSystemStore(std::string_view name) override;
  std::unique_ptr<Certificate> MakeCertificate(std::string_view der) override;
  std::optional<std::string> DecodeCertificateText(std::string_view text, std::size_t maxBytes) override;
};

}  // namespace tessaly::win32
