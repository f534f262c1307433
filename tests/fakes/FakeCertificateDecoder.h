#pragma once

#include <map>
#include <string>

#include "platform/CertificateDecoder.h"

namespace tessaly {

// Certificates as a test names them: the "DER bytes" are any text the test mapped.
class FakeCertificateDecoder final : public CertificateDecoder {
 public:
  std::map<std::string, DecodedCertificate> certificates;

  std::optional<DecodedCertificate> Decode(std::span<const unsigned char> der) const override {
    const auto found = certificates.find(std::string(der.begin(), der.end()));
    if (found == certificates.end()) {
      return std::nullopt;
    }
    return found->second;
  }
};

}  // namespace tessaly
