#include "tests/win32/RawRegistry.h"

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {

RawValue ReadRaw(const std::u16string &path, const std::u16string &name) {
  RawValue value;
  HKEY opened = nullptr;
  value.status = RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path), 0,
                               KEY_QUERY_VALUE, &opened);
  if (value.status != ERROR_SUCCESS) {
    return value;
  }
  const unique_hkey key(opened);
  DWORD size = 0;
  value.status = RegQueryValueExW(key.get(), AsWide(name), nullptr, &value.type,
                                  nullptr, &size);
  if (value.status == ERROR_SUCCESS) {
    value.data.resize(size);
    value.status = RegQueryValueExW(key.get(), AsWide(name), nullptr,
                                    &value.type, value.data.data(), &size);
    value.data.resize(size);
  }
  return value;
}

LSTATUS WriteRaw(const std::u16string &path, const std::u16string &name,
                 DWORD type, const std::vector<BYTE> &data) {
  HKEY created = nullptr;
  LSTATUS status =
      RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &created, nullptr);
  if (status != ERROR_SUCCESS) {
    return status;
  }
  const unique_hkey key(created);
  return RegSetValueExW(key.get(), AsWide(name), 0, type, data.data(),
                        static_cast<DWORD>(data.size()));
}

LSTATUS WriteRawText(const std::u16string &path, const std::u16string &name,
                     const std::u16string &text) {
  const auto *bytes = reinterpret_cast<const BYTE *>(text.c_str());
  return WriteRaw(
      path, name, REG_SZ,
      std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(char16_t)));
}

void DeleteRaw(const std::u16string &path, const std::u16string &name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, KEY_SET_VALUE,
                    &opened) == ERROR_SUCCESS) {
    const unique_hkey key(opened);
    RegDeleteValueW(key.get(), AsWide(name));
  }
}

bool KeyExists(const std::u16string &path) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, KEY_READ, &opened) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(opened);
  return true;
}

std::vector<BYTE> DwordBytes(DWORD number) {
  return {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8),
          static_cast<BYTE>(number >> 16), static_cast<BYTE>(number >> 24)};
}

} // namespace tessaly::win32
