#include "adapters/ravelin/win32/Win32CertificateRequest.h"

#include <windows.h>
#include <rpc.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "adapters/ravelin/CertificateRequestText.h"
#include "adapters/ravelin/MiddlewareInstallation.h"
#include "platform/win32/CertificateHandles.h"

namespace tessaly::ravelin::win32 {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
constexpr std::int32_t kMinCertificateText = 512;
constexpr std::int32_t kMaxCertificateText = 8192;
constexpr DWORD kMaxCertificateBytes = 4096;
constexpr int kKeyGenerationAttempts = 4;
constexpr std::size_t kMaxContainerName = 127;

// The container of this process's latest successful request.
std::mutex containerGuard;
std::string lastContainer;

struct ProviderRelease {
  void operator()(HCRYPTPROV* provider) const {
    CryptReleaseContext(*provider, 0);
    delete provider;
  }
};
using unique_provider = std::unique_ptr<HCRYPTPROV, ProviderRelease>;

struct KeyDestroy {
  void operator()(HCRYPTKEY* key) const {
    CryptDestroyKey(*key);
    delete key;
  }
};
using unique_key = std::unique_ptr<HCRYPTKEY, KeyDestroy>;

struct MessageClose {
  void operator()(void* message) const { CryptMsgClose(message); }
};

unique_provider AcquireProvider(const std::string& container, DWORD flags) {
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextA(&provider, container.c_str(), std::string(kProviderName).c_str(),
                            PROV_RSA_FULL, flags)) {
    return nullptr;
  }
  return unique_provider(new HCRYPTPROV(provider));
}

// Asks for the size first, then fills: the usual two calls of CryptoAPI's encoders.
template <typename Call>
std::optional<std::vector<BYTE>> TwoCallBytes(Call call) {
  DWORD size = 0;
  if (!call(nullptr, &size) || size == 0) {
    return std::nullopt;
  }
  std::vector<BYTE> bytes(size);
  if (!call(bytes.data(), &size)) {
    return std::nullopt;
  }
  bytes.resize(size);
  return bytes;
}

std::optional<std::vector<BYTE>> EncodeSubjectName(const std::vector<SubjectComponent>& components) {
  // Windows' encoder refuses a PrintableString with other characters, Wine's writes it out
  // regardless: refused here, the request fails alike on both instead of carrying a subject
  // that is no valid PrintableString.
  if (!std::all_of(components.begin(), components.end(),
                   [](const SubjectComponent& component) { return IsPrintableString(component.value); })) {
    return std::nullopt;
  }
  std::vector<CERT_RDN_ATTR> attributes(components.size());
  std::vector<CERT_RDN> names(components.size());
  for (std::size_t i = 0; i < components.size(); ++i) {
    attributes[i].pszObjId = const_cast<char*>(components[i].oid.c_str());
    attributes[i].dwValueType = CERT_RDN_PRINTABLE_STRING;
    attributes[i].Value.cbData = static_cast<DWORD>(components[i].value.size());
    attributes[i].Value.pbData =
        reinterpret_cast<BYTE*>(const_cast<char*>(components[i].value.data()));
    names[i].cRDNAttr = 1;
    names[i].rgRDNAttr = &attributes[i];
  }
  CERT_NAME_INFO name{static_cast<DWORD>(names.size()), names.data()};
  return TwoCallBytes([&](BYTE* out, DWORD* size) {
    return CryptEncodeObject(kEncoding, X509_NAME, &name, out, size) != FALSE;
  });
}

std::optional<std::string> NewContainerName() {
  UUID uuid{};
  if (UuidCreate(&uuid) != RPC_S_OK) {
    return std::nullopt;
  }
  RPC_CSTR text = nullptr;
  if (UuidToStringA(&uuid, &text) != RPC_S_OK) {
    return std::nullopt;
  }
  std::string name(reinterpret_cast<const char*>(text));
  RpcStringFreeA(&text);
  return name;
}

std::optional<std::vector<BYTE>> ExportSignaturePublicKey(HCRYPTPROV provider) {
  return TwoCallBytes([&](BYTE* out, DWORD* size) {
    return CryptExportPublicKeyInfo(provider, AT_SIGNATURE, kEncoding,
                                    reinterpret_cast<CERT_PUBLIC_KEY_INFO*>(out), size) != FALSE;
  });
}

// The first certificate of a PKCS#7 message.
std::optional<std::vector<BYTE>> FirstCertificateOf(const std::vector<std::uint8_t>& message) {
  const std::unique_ptr<void, MessageClose> decoder(
      CryptMsgOpenToDecode(kEncoding, 0, 0, 0, nullptr, nullptr));
  if (!decoder || !CryptMsgUpdate(decoder.get(), message.data(), static_cast<DWORD>(message.size()), TRUE)) {
    return std::nullopt;
  }
  DWORD count = 0;
  DWORD countSize = sizeof count;
  if (!CryptMsgGetParam(decoder.get(), CMSG_CERT_COUNT_PARAM, 0, &count, &countSize) || count == 0) {
    return std::nullopt;
  }
  std::optional<std::vector<BYTE>> certificate = TwoCallBytes([&](BYTE* out, DWORD* size) {
    return CryptMsgGetParam(decoder.get(), CMSG_CERT_PARAM, 0, out, size) != FALSE;
  });
  if (!certificate || certificate->size() > kMaxCertificateBytes) {
    return std::nullopt;
  }
  return certificate;
}

}  // namespace

std::int32_t MakeCertificateRequest(const char* subject, std::int32_t keyType, char* out,
                                    std::int32_t* outLength) {
  if (subject == nullptr || (keyType != 1 && keyType != 2)) {
    return 0;
  }
  // The key length in bits in the upper 16 bits of the flags.
  const DWORD keyFlags = keyType == 1 ? 0x04000000 : 0x08000000;
  const std::optional<std::vector<SubjectComponent>> components = ParseSubject(subject);
  const std::optional<std::vector<BYTE>> name =
      components ? EncodeSubjectName(*components) : std::nullopt;
  const std::optional<std::string> container = name ? NewContainerName() : std::nullopt;
  const unique_provider provider =
      container ? AcquireProvider(*container, CRYPT_NEWKEYSET) : nullptr;
  if (!provider) {
    return 0;
  }
  HCRYPTKEY key = 0;
  bool generated = false;
  for (int attempt = 0; attempt < kKeyGenerationAttempts && !generated; ++attempt) {
    generated = CryptGenKey(*provider, AT_SIGNATURE, keyFlags, &key) != FALSE;
  }
  if (!generated) {
    return 0;
  }
  const unique_key keyOwner(new HCRYPTKEY(key));
  std::optional<std::vector<BYTE>> publicKey = ExportSignaturePublicKey(*provider);
  if (!publicKey) {
    return 0;
  }
  std::vector<BYTE> nameBytes = *name;
  CERT_REQUEST_INFO request{};
  request.dwVersion = CERT_REQUEST_V1;
  request.Subject = {static_cast<DWORD>(nameBytes.size()), nameBytes.data()};
  request.SubjectPublicKeyInfo = *reinterpret_cast<CERT_PUBLIC_KEY_INFO*>(publicKey->data());
  CRYPT_ALGORITHM_IDENTIFIER md5WithRsa{};
  md5WithRsa.pszObjId = const_cast<char*>(szOID_OIWSEC_md5RSA);  // 1.3.14.3.2.3
  const std::optional<std::vector<BYTE>> signedRequest = TwoCallBytes([&](BYTE* bytes, DWORD* size) {
    return CryptSignAndEncodeCertificate(*provider, AT_SIGNATURE, kEncoding,
                                         X509_CERT_REQUEST_TO_BE_SIGNED, &request, &md5WithRsa,
                                         nullptr, bytes, size) != FALSE;
  });
  if (!signedRequest || container->size() > kMaxContainerName) {
    return 0;
  }
  const std::string text = EncodeBase64(*signedRequest);
  if (out != nullptr) {
    std::memcpy(out, text.data(), text.size());
  }
  if (outLength != nullptr) {
    *outLength = static_cast<std::int32_t>(text.size());
  }
  const std::lock_guard<std::mutex> lock(containerGuard);
  lastContainer = *container;
  return 1;
}

std::int32_t StoreIssuedCertificate(const char* certificate, std::int32_t length) {
  if (certificate == nullptr || length < kMinCertificateText || length > kMaxCertificateText) {
    return 0;
  }
  std::string container;
  {
    const std::lock_guard<std::mutex> lock(containerGuard);
    container = lastContainer;
  }
  if (container.empty()) {
    return 0;
  }
  const std::string_view text(certificate, ::strnlen(certificate, static_cast<std::size_t>(length)));
  const std::optional<std::vector<std::uint8_t>> message = DecodeBase64(CleanCertificateText(text));
  const std::optional<std::vector<BYTE>> der = message ? FirstCertificateOf(*message) : std::nullopt;
  if (!der) {
    return 0;
  }
  const tessaly::win32::unique_cert_context issued(
      CertCreateCertificateContext(X509_ASN_ENCODING, der->data(), static_cast<DWORD>(der->size())));
  const unique_provider provider = issued ? AcquireProvider(container, 0) : nullptr;
  std::optional<std::vector<BYTE>> publicKey =
      provider ? ExportSignaturePublicKey(*provider) : std::nullopt;
  if (!publicKey ||
      !CertComparePublicKeyInfo(kEncoding, &issued->pCertInfo->SubjectPublicKeyInfo,
                                reinterpret_cast<CERT_PUBLIC_KEY_INFO*>(publicKey->data()))) {
    return 0;
  }
  HCRYPTKEY key = 0;
  if (!CryptGetUserKey(*provider, AT_SIGNATURE, &key)) {
    return 0;
  }
  const unique_key keyOwner(new HCRYPTKEY(key));
  // KP_CERTIFICATE takes the DER bytes themselves.
  return CryptSetKeyParam(key, KP_CERTIFICATE, der->data(), 0) ? 1 : 0;
}

}  // namespace tessaly::ravelin::win32
