#include "platform/win32/Win32CertificateDecoder.h"

#include <cstdint>
#include <string>

#include "platform/win32/CertificateHandles.h"

namespace tessaly::win32 {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// FILETIME counts 100-nanosecond steps from 1601; the seconds here count from 1970.
std::int64_t UnixSeconds(const FILETIME& time) {
  constexpr std::int64_t kTicksPerSecond = 10'000'000;
  constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
  const auto ticks = static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                               time.dwLowDateTime);
  return ticks / kTicksPerSecond - kSecondsFrom1601To1970;
}

std::string SubjectText(const CERT_CONTEXT& certificate) {
  CERT_NAME_BLOB* subject = &certificate.pCertInfo->Subject;
  DWORD stringType = CERT_X500_NAME_STR;
  const DWORD length = CertNameToStrA(kEncoding, subject, stringType, nullptr, 0);
  if (length <= 1) {
    return {};
  }
  std::string text(length, '\0');
  const DWORD written = CertNameToStrA(kEncoding, subject, stringType, text.data(), length);
  text.resize(written > 0 ? written - 1 : 0);
  return text;
}

}  // namespace

std::optional<DecodedCertificate> Win32CertificateDecoder::Decode(
    std::span<const unsigned char> der) const {
  const unique_cert_context certificate(
      CertCreateCertificateContext(kEncoding, der.data(), static_cast<DWORD>(der.size())));
  if (!certificate) {
    return std::nullopt;
  }
  return DecodedCertificate{SubjectText(*certificate),
                            UnixSeconds(certificate->pCertInfo->NotBefore),
                            UnixSeconds(certificate->pCertInfo->NotAfter)};
}

}  // namespace tessaly::win32
