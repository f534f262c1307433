#include "tests/fakes/TestDocumentKey.h"

#include <openssl/bio.h>
#include <openssl/pem.h>

#include <string_view>

#include "tools/itemcheck/DocumentSigning.h"

namespace tessaly {
namespace {

std::string PemOf(EVP_PKEY* key, bool privatePart) {
  const std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
  const int written =
      privatePart ? PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr)
                  : PEM_write_bio_PUBKEY(bio.get(), key);
  char* data = nullptr;
  const long length = written == 1 ? BIO_get_mem_data(bio.get(), &data) : 0;
  return length > 0 ? std::string(data, static_cast<std::size_t>(length)) : std::string();
}

// The quick key generator takes each type's own parameter: RSA a size, EC a curve name.
EVP_PKEY* Generate(std::string_view type, const char* parameter) {
  if (type == "RSA") {
    return EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", std::size_t{2048});
  }
  if (type == "EC") {
    return EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", parameter);
  }
  return EVP_PKEY_Q_keygen(nullptr, nullptr, std::string(type).c_str());
}

}  // namespace

TestDocumentKey::TestDocumentKey(const char* type, const char* parameter)
    : key(Generate(type, parameter), &EVP_PKEY_free) {}

std::string TestDocumentKey::PrivatePem() const { return PemOf(key.get(), true); }
std::string TestDocumentKey::PublicPem() const { return PemOf(key.get(), false); }

DocumentKey TestDocumentKey::Raw() const {
  return itemcheck::DocumentKeyFromPem(PublicPem()).value_or(DocumentKey{});
}

std::string TestDocumentKey::Sign(const std::string& document, std::uint32_t sequence) const {
  return itemcheck::SignDocument(document, PrivatePem(), sequence).value_or("");
}

}  // namespace tessaly
