#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tessaly::win32 {

// Direct access to values of HKEY_CURRENT_USER for the Windows tests: arranging
// and inspecting the registry without the code under test.
struct RawValue {
  LSTATUS status = ERROR_FILE_NOT_FOUND;
  DWORD type = REG_NONE;
  std::vector<BYTE> data{};
};

RawValue ReadRaw(const std::u16string &path, const std::u16string &name);
// Creates the key when it is missing.
LSTATUS WriteRaw(const std::u16string &path, const std::u16string &name,
                 DWORD type, const std::vector<BYTE> &data);
// REG_SZ with its terminating zero.
LSTATUS WriteRawText(const std::u16string &path, const std::u16string &name,
                     const std::u16string &text);
void DeleteRaw(const std::u16string &path, const std::u16string &name);
bool KeyExists(const std::u16string &path);
// The four bytes of a REG_DWORD.
std::vector<BYTE> DwordBytes(DWORD number);

} // namespace tessaly::win32
