#include "tests/fakes/TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

namespace tessaly {
namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct X509Free {
  void operator()(X509* certificate) const { X509_free(certificate); }
};

bool AddEntry(X509_NAME* name, const char* field, const std::string& value) {
  return X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8,
                                    reinterpret_cast<const unsigned char*>(value.c_str()), -1, -1,
                                    0) == 1;
}

}  // namespace

std::string MakeTestCertificate(const std::string& organisation, const std::string& commonName,
                                std::int64_t notBefore, std::int64_t notAfter) {
  const std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_EC_gen("P-256"));
  const std::unique_ptr<X509, X509Free> certificate(X509_new());
  if (!key || !certificate) {
    return {};
  }
  X509_NAME* name = X509_get_subject_name(certificate.get());
  const bool built =
      X509_set_version(certificate.get(), 2) == 1 &&
      ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1) == 1 &&
      ASN1_TIME_set(X509_getm_notBefore(certificate.get()), static_cast<time_t>(notBefore)) !=
          nullptr &&
      ASN1_TIME_set(X509_getm_notAfter(certificate.get()), static_cast<time_t>(notAfter)) !=
          nullptr &&
      AddEntry(name, "C", "CN") && AddEntry(name, "O", organisation) &&
      AddEntry(name, "CN", commonName) && X509_set_issuer_name(certificate.get(), name) == 1 &&
      X509_set_pubkey(certificate.get(), key.get()) == 1 &&
      X509_sign(certificate.get(), key.get(), EVP_sha256()) > 0;
  if (!built) {
    return {};
  }
  unsigned char* der = nullptr;
  const int length = i2d_X509(certificate.get(), &der);
  if (length <= 0) {
    return {};
  }
  std::string bytes(reinterpret_cast<const char*>(der), static_cast<std::size_t>(length));
  OPENSSL_free(der);
  return bytes;
}

}  // namespace tessaly
