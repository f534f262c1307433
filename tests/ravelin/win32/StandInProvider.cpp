#include "tests/ravelin/win32/StandInProvider.h"

#include <windows.h>
#include <wincrypt.h>

#include <string>

namespace tessaly::ravelin::testing {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

std::string StandInLibraryPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of('\\') + 1) + "standin\\WDCSP03.dll";
}

class Provider {
 public:
  Provider(const char* container, DWORD flags) {
    if (!CryptAcquireContextA(&handle_, container, kWatchdataProvider, PROV_RSA_FULL, flags)) {
      handle_ = 0;
    }
  }
  ~Provider() {
    if (handle_ != 0) {
      CryptReleaseContext(handle_, 0);
    }
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  HCRYPTPROV get() const { return handle_; }

 private:
  HCRYPTPROV handle_ = 0;
};

bool HoldsSignatureKey(HCRYPTPROV provider, const CERT_PUBLIC_KEY_INFO& wanted) {
  DWORD size = 0;
  if (!CryptExportPublicKeyInfo(provider, AT_SIGNATURE, kEncoding, nullptr, &size)) {
    return false;
  }
  std::vector<BYTE> info(size);
  auto* exported = reinterpret_cast<CERT_PUBLIC_KEY_INFO*>(info.data());
  return CryptExportPublicKeyInfo(provider, AT_SIGNATURE, kEncoding, exported, &size) &&
         CertComparePublicKeyInfo(kEncoding, exported, const_cast<CERT_PUBLIC_KEY_INFO*>(&wanted));
}

std::optional<std::vector<std::uint8_t>> CertificateOfSignatureKey(HCRYPTPROV provider) {
  HCRYPTKEY key = 0;
  if (!CryptGetUserKey(provider, AT_SIGNATURE, &key)) {
    return std::nullopt;
  }
  DWORD size = 0;
  std::vector<std::uint8_t> der;
  if (CryptGetKeyParam(key, KP_CERTIFICATE, nullptr, &size, 0)) {
    der.resize(size);
    if (!CryptGetKeyParam(key, KP_CERTIFICATE, der.data(), &size, 0)) {
      der.clear();
    }
  }
  CryptDestroyKey(key);
  if (der.empty()) {
    return std::nullopt;
  }
  return der;
}

}  // namespace

bool RegisterStandInProvider() {
  const std::string library = StandInLibraryPath();
  if (GetFileAttributesA(library.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  const std::string path = std::string("SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\") + kWatchdataProvider;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const DWORD type = PROV_RSA_FULL;
  const DWORD signatureInFile = 0;
  const bool registered =
      RegSetValueExA(key, "Image Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(library.c_str()),
                     static_cast<DWORD>(library.size() + 1)) == ERROR_SUCCESS &&
      RegSetValueExA(key, "Type", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), sizeof type) == ERROR_SUCCESS &&
      RegSetValueExA(key, "SigInFile", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&signatureInFile),
                     sizeof signatureInFile) == ERROR_SUCCESS;
  RegCloseKey(key);
  return registered;
}

std::vector<std::string> ProviderContainers() {
  std::vector<std::string> names;
  const Provider provider(nullptr, CRYPT_VERIFYCONTEXT);
  char name[MAX_PATH] = {};
  DWORD size = sizeof name;
  for (DWORD flag = CRYPT_FIRST; provider.get() != 0 &&
                                 CryptGetProvParam(provider.get(), PP_ENUMCONTAINERS, reinterpret_cast<BYTE*>(name), &size, flag);
       flag = CRYPT_NEXT, size = sizeof name) {
    names.emplace_back(name);
  }
  return names;
}

std::optional<std::vector<std::uint8_t>> CertificateStoredWith(const std::vector<std::uint8_t>& publicKeyInfo) {
  CERT_PUBLIC_KEY_INFO* wanted = nullptr;
  DWORD size = 0;
  if (!CryptDecodeObjectEx(kEncoding, X509_PUBLIC_KEY_INFO, publicKeyInfo.data(),
                           static_cast<DWORD>(publicKeyInfo.size()), CRYPT_DECODE_ALLOC_FLAG, nullptr, &wanted,
                           &size)) {
    return std::nullopt;
  }
  std::optional<std::vector<std::uint8_t>> found;
  for (const std::string& container : ProviderContainers()) {
    const Provider provider(container.c_str(), 0);
    if (provider.get() != 0 && HoldsSignatureKey(provider.get(), *wanted)) {
      found = CertificateOfSignatureKey(provider.get());
      break;
    }
  }
  LocalFree(wanted);
  return found;
}

}  // namespace tessaly::ravelin::testing
