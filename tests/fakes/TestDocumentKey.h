#pragma once

#include <openssl/evp.h>

#include <cstdint>
#include <memory>
#include <string>

#include "config/DocumentSignature.h"

namespace tessaly {

// A fresh key pair of an OpenSSL key type ("ED25519", "ED448", "RSA", "EC" with a curve), in the
// PEM forms `openssl genpkey` and `openssl pkey -pubout` write.
struct TestDocumentKey {
  explicit TestDocumentKey(const char* type = "ED25519", const char* parameter = nullptr);
  std::string PrivatePem() const;
  std::string PublicPem() const;
  // The raw public key of an Ed25519 pair.
  DocumentKey Raw() const;
  // `document` signed with this key by the administrators' tool; empty when it refuses.
  std::string Sign(const std::string& document, std::uint32_t sequence) const;

  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key;
};

}  // namespace tessaly
