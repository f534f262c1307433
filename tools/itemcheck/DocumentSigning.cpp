#include "tools/itemcheck/DocumentSigning.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>

namespace tessaly::itemcheck {
namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct BioFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;

std::unique_ptr<BIO, BioFree> MemoryOf(std::string_view text) {
  return std::unique_ptr<BIO, BioFree>(BIO_new_mem_buf(text.data(), static_cast<int>(text.size())));
}

Key Ed25519Key(EVP_PKEY* key) {
  Key owned(key);
  if (!owned || EVP_PKEY_id(owned.get()) != EVP_PKEY_ED25519) {
    return nullptr;
  }
  return owned;
}

Key PrivateKeyOf(std::string_view pem) {
  const auto bio = MemoryOf(pem);
  return bio ? Ed25519Key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr)) : nullptr;
}

Key PublicKeyOf(std::string_view pem) {
  const auto bio = MemoryOf(pem);
  return bio ? Ed25519Key(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr)) : nullptr;
}

std::optional<DocumentSignatureBytes> Sign(EVP_PKEY* key, const std::string& message) {
  const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
  DocumentSignatureBytes signature{};
  std::size_t length = signature.size();
  if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key) != 1 ||
      EVP_DigestSign(context.get(), signature.data(), &length,
                     reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1 ||
      length != signature.size()) {
    return std::nullopt;
  }
  return signature;
}

}  // namespace

std::optional<DocumentKey> DocumentKeyFromPem(std::string_view pem) {
  Key key = PublicKeyOf(pem);
  if (!key) {
    key = PrivateKeyOf(pem);
  }
  DocumentKey raw{};
  std::size_t length = raw.size();
  if (!key || EVP_PKEY_get_raw_public_key(key.get(), raw.data(), &length) != 1 ||
      length != raw.size()) {
    return std::nullopt;
  }
  return raw;
}

std::optional<std::string> SignDocument(std::string_view document, std::string_view privateKeyPem,
                                        std::uint32_t sequence) {
  const Key key = PrivateKeyOf(privateKeyPem);
  if (!key) {
    return std::nullopt;
  }
  std::string body(document);
  if (document.find(kSignatureCommentOpening) != std::string_view::npos) {
    const std::optional<SignedDocument> signedBefore = SplitSignedDocument(document);
    if (!signedBefore) {
      return std::nullopt;
    }
    body = std::string(signedBefore->body);
  }
  if (!body.empty() && body.back() != '\n') {
    body.push_back('\n');
  }
  const std::optional<DocumentSignatureBytes> signature =
      Sign(key.get(), SignedDocumentMessage(body, sequence));
  if (!signature) {
    return std::nullopt;
  }
  return body + SignatureComment(sequence, *signature);
}

}  // namespace tessaly::itemcheck
