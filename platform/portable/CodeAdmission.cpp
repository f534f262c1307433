#include "platform/CodeAdmission.h"

#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/x509.h>

#include <algorithm>
#include <array>
#include <memory>

namespace tessaly {
namespace {

// What Windows runs, loads or installs; compared without regard to case.
constexpr std::array<std::u16string_view, 14> kCodeExtensions{
    u".exe", u".dll", u".ocx", u".sys", u".cpl", u".scr", u".msi",
    u".cab", u".com", u".drv", u".ax",  u".efi", u".msp", u".mui"};

// The platform's own publisher: Microsoft's signing certificates name it as organisation
// of both subject and issuer. Only a chain the system trusts gives this name weight, which
// is why it is taken only from a Valid signature.
constexpr std::string_view kPlatformPublisher = "Microsoft Corporation";

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool EndsWithCaseless(std::u16string_view text, std::u16string_view suffix) {
  return text.size() >= suffix.size() &&
         std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                    [](char16_t a, char16_t b) { return Lower(a) == Lower(b); });
}

}  // namespace

std::string CertificateThumbprint(std::span<const unsigned char> der) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  if (EVP_Digest(der.data(), der.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
    return {};
  }
  constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text.push_back(kHex[digest[i] >> 4]);
    text.push_back(kHex[digest[i] & 0x0F]);
  }
  return text;
}

namespace {

struct CertificateFree {
  void operator()(X509* certificate) const { X509_free(certificate); }
};

// The organisation of a name, or empty; a name with it twice answers empty.
std::string OrganisationOf(const X509_NAME* name) {
  if (name == nullptr) {
    return {};
  }
  const int first = X509_NAME_get_index_by_NID(name, NID_organizationName, -1);
  if (first < 0 || X509_NAME_get_index_by_NID(name, NID_organizationName, first) >= 0) {
    return {};
  }
  const ASN1_STRING* value = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, first));
  if (value == nullptr) {
    return {};
  }
  return std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(value)),
                     static_cast<std::size_t>(ASN1_STRING_length(value)));
}

bool IsPlatformPublisher(std::span<const unsigned char> der) {
  const unsigned char* cursor = der.data();
  const std::unique_ptr<X509, CertificateFree> certificate(
      d2i_X509(nullptr, &cursor, static_cast<long>(der.size())));
  return certificate && cursor == der.data() + der.size() &&
         OrganisationOf(X509_get_subject_name(certificate.get())) == kPlatformPublisher &&
         OrganisationOf(X509_get_issuer_name(certificate.get())) == kPlatformPublisher;
}

}  // namespace

bool IsCodeFileName(std::u16string_view path) {
  return std::any_of(kCodeExtensions.begin(), kCodeExtensions.end(),
                     [path](std::u16string_view extension) { return EndsWithCaseless(path, extension); });
}

bool IsAllowedSigner(const CodeSignature& signature, CodeUse use, const PublisherAllowList& allowed) {
  if (signature.status != SignatureStatus::Valid || signature.signerCertificate.empty()) {
    return false;
  }
  const std::string thumbprint = CertificateThumbprint(signature.signerCertificate);
  if (!thumbprint.empty() &&
      std::find(allowed.thumbprints.begin(), allowed.thumbprints.end(), thumbprint) !=
          allowed.thumbprints.end()) {
    return true;
  }
  return use == CodeUse::EnrolmentControl && allowed.platformPublisherForEnrolment &&
         IsPlatformPublisher(signature.signerCertificate);
}

bool CodeGate::Admit(const std::u16string& path, CodeUse use, bool runs) const {
  if (!runs && !IsCodeFileName(path)) {
    return true;
  }
  if (IsAllowedSigner(signatures_.Check(path), use, allowed_)) {
    return true;
  }
  files_.Delete(path);
  return false;
}

}  // namespace tessaly
