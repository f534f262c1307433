#include "adapters/ravelin/standin/provider/KeyCertificateStore.h"

#include "platform/win32/UniqueHandles.h"

namespace tessaly::ravelin::standin {
namespace {

using tessaly::win32::unique_hkey;

constexpr DWORD kMaxCertificateBytes = 16384;

const char* ValueName(DWORD keySpec) { return keySpec == AT_SIGNATURE ? "Signature" : "Exchange"; }

std::string ContainerKey(const std::string& container) {
  return std::string(KeyCertificateStore::kRegistryKey) + "\\" + container;
}

}  // namespace

bool KeyCertificateStore::Store(const std::string& container, DWORD keySpec,
                                const std::vector<BYTE>& der) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, ContainerKey(container).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const unique_hkey owner(key);
  return RegSetValueExA(key, ValueName(keySpec), 0, REG_BINARY, der.data(),
                        static_cast<DWORD>(der.size())) == ERROR_SUCCESS;
}

std::optional<std::vector<BYTE>> KeyCertificateStore::Read(const std::string& container, DWORD keySpec) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, ContainerKey(container).c_str(), 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  const unique_hkey owner(key);
  std::vector<BYTE> der(kMaxCertificateBytes);
  DWORD size = kMaxCertificateBytes;
  DWORD type = 0;
  if (RegQueryValueExA(key, ValueName(keySpec), nullptr, &type, der.data(), &size) != ERROR_SUCCESS ||
      type != REG_BINARY) {
    return std::nullopt;
  }
  der.resize(size);
  return der;
}

void KeyCertificateStore::Forget(const std::string& container) {
  RegDeleteKeyA(HKEY_CURRENT_USER, ContainerKey(container).c_str());
}

}  // namespace tessaly::ravelin::standin
