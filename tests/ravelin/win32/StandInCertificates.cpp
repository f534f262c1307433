#include "tests/ravelin/win32/StandInCertificates.h"

#include <windows.h>
#include <wincrypt.h>

#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace tessaly::ravelin::testing {

struct StandInCertificateAuthority::Keys {
  EVP_PKEY* key = nullptr;
  X509* certificate = nullptr;
};

namespace {

X509* NewCertificate(EVP_PKEY* subjectKey, const std::string& commonName, long notBeforeOffset,
                     long notAfterOffset, long serial) {
  X509* certificate = X509_new();
  X509_set_version(certificate, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial);
  X509_gmtime_adj(X509_getm_notBefore(certificate), notBeforeOffset);
  X509_gmtime_adj(X509_getm_notAfter(certificate), notAfterOffset);
  X509_set_pubkey(certificate, subjectKey);
  X509_NAME* name = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Brimvane"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
  return certificate;
}

void AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

std::vector<std::uint8_t> Der(X509* certificate) {
  unsigned char* bytes = nullptr;
  const int length = i2d_X509(certificate, &bytes);
  std::vector<std::uint8_t> der(bytes, bytes + (length > 0 ? length : 0));
  OPENSSL_free(bytes);
  return der;
}

}  // namespace

StandInCertificateAuthority::StandInCertificateAuthority() : keys_(new Keys) {
  keys_->key = EVP_RSA_gen(2048);
  keys_->certificate = NewCertificate(keys_->key, kName, -86400L * 30, 86400L * 3650, 1);
  X509_set_issuer_name(keys_->certificate, X509_get_subject_name(keys_->certificate));
  AddExtension(keys_->certificate, keys_->certificate, NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(keys_->certificate, keys_->certificate, NID_key_usage, "critical,keyCertSign,cRLSign");
  X509_sign(keys_->certificate, keys_->key, EVP_sha256());
}

StandInCertificateAuthority::~StandInCertificateAuthority() {
  X509_free(keys_->certificate);
  EVP_PKEY_free(keys_->key);
  delete keys_;
}

bool StandInCertificateAuthority::TrustInCurrentUserRoot() const {
  HCERTSTORE store = CertOpenSystemStoreW(0, L"ROOT");
  if (store == nullptr) {
    return false;
  }
  const std::vector<std::uint8_t> der = Der(keys_->certificate);
  const BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                                      static_cast<DWORD>(der.size()),
                                                      CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  CertCloseStore(store, 0);
  return added != FALSE;
}

std::vector<std::uint8_t> StandInCertificateAuthority::Issue(const std::string& commonName,
                                                             long secondsLeft) const {
  static long serial = 100;
  X509* certificate = NewCertificate(keys_->key, commonName, -86400L, secondsLeft, ++serial);
  X509_set_issuer_name(certificate, X509_get_subject_name(keys_->certificate));
  X509_sign(certificate, keys_->key, EVP_sha256());
  std::vector<std::uint8_t> der = Der(certificate);
  X509_free(certificate);
  return der;
}

}  // namespace tessaly::ravelin::testing
