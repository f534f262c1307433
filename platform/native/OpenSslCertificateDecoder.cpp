#include "platform/native/OpenSslCertificateDecoder.h"

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/x509.h>

#include <ctime>
#include <memory>

namespace tessaly {
namespace {

struct X509Free {
  void operator()(X509* certificate) const { X509_free(certificate); }
};
struct BioFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};

std::optional<std::int64_t> SecondsOf(const ASN1_TIME* time) {
  std::tm fields{};
  if (time == nullptr || ASN1_TIME_to_tm(time, &fields) != 1) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(timegm(&fields));
}

std::optional<std::string> SubjectText(const X509* certificate) {
  const std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
  constexpr unsigned long kFlags = XN_FLAG_SEP_CPLUS_SPC | ASN1_STRFLGS_ESC_QUOTE |
                                   ASN1_STRFLGS_ESC_CTRL | ASN1_STRFLGS_UTF8_CONVERT;
  if (!bio || X509_NAME_print_ex(bio.get(), X509_get_subject_name(certificate), 0, kFlags) < 0) {
    return std::nullopt;
  }
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio.get(), &data);
  return length < 0 ? std::string() : std::string(data, static_cast<std::size_t>(length));
}

}  // namespace

std::optional<DecodedCertificate> OpenSslCertificateDecoder::Decode(
    std::span<const unsigned char> der) const {
  const unsigned char* bytes = der.data();
  const std::unique_ptr<X509, X509Free> certificate(
      d2i_X509(nullptr, &bytes, static_cast<long>(der.size())));
  if (!certificate) {
    return std::nullopt;
  }
  std::optional<std::string> subject = SubjectText(certificate.get());
  const std::optional<std::int64_t> notBefore = SecondsOf(X509_get0_notBefore(certificate.get()));
  const std::optional<std::int64_t> notAfter = SecondsOf(X509_get0_notAfter(certificate.get()));
  if (!subject || !notBefore || !notAfter) {
    return std::nullopt;
  }
  return DecodedCertificate{std::move(*subject), *notBefore, *notAfter};
}

}  // namespace tessaly
