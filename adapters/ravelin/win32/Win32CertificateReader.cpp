#include "adapters/ravelin/win32/Win32CertificateReader.h"

#include <array>

#include "platform/win32/CertificateHandles.h"

namespace tessaly::ravelin::win32 {
namespace {

using tessaly::win32::unique_cert_context;

unique_cert_context MakeContext(std::span<const std::uint8_t> der) {
  return unique_cert_context(CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                                          der.data(),
                                                          static_cast<DWORD>(der.size())));
}

std::int64_t UnixSeconds(const FILETIME& time) {
  const std::uint64_t ticks =
      (std::uint64_t{time.dwHighDateTime} << 32) | std::uint64_t{time.dwLowDateTime};
  constexpr std::int64_t kTicksPerSecond = 10'000'000;
  constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
  return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
}

// A name as CertGetNameStringA gives it into a buffer of `Size` characters.
template <std::size_t Size>
std::string NameString(PCCERT_CONTEXT context, DWORD flags, const char* attribute) {
  std::array<char, Size> buffer{};
  CertGetNameStringA(context, CERT_NAME_ATTR_TYPE, flags,
                     const_cast<char*>(attribute), buffer.data(), static_cast<DWORD>(buffer.size()));
  buffer.back() = '\0';
  return buffer.data();
}

}  // namespace

std::optional<KeyCertificate> Win32CertificateReader::Read(std::span<const std::uint8_t> der) const {
  const unique_cert_context context = MakeContext(der);
  if (!context) {
    return std::nullopt;
  }
  KeyCertificate certificate;
  certificate.commonName = NameString<260>(context.get(), 0, szOID_COMMON_NAME);
  certificate.issuer = NameString<512>(context.get(), CERT_NAME_ISSUER_FLAG, nullptr);
  certificate.notBefore = UnixSeconds(context->pCertInfo->NotBefore);
  certificate.notAfter = UnixSeconds(context->pCertInfo->NotAfter);
  return certificate;
}

std::optional<std::uint32_t> Win32CertificateReader::ChainErrorStatus(
    std::span<const std::uint8_t> der) const {
  const unique_cert_context context = MakeContext(der);
  if (!context) {
    return std::nullopt;
  }
  CERT_CHAIN_PARA parameters{};
  parameters.cbSize = sizeof parameters;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(nullptr, context.get(), nullptr, nullptr, &parameters, 0, nullptr,
                               &chain)) {
    return std::nullopt;
  }
  const std::uint32_t status = chain->TrustStatus.dwErrorStatus;
  CertFreeCertificateChain(chain);
  return status;
}

}  // namespace tessaly::ravelin::win32
