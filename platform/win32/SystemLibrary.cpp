#include "platform/win32/SystemLibrary.h"

#include <string>

#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

// The loader flag is older than some headers the program is built with.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// The documented test for the LOAD_LIBRARY_SEARCH_* flags: the update that brings them also
// brings AddDllDirectory.
bool LoaderHasSearchFlags() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel != nullptr && GetProcAddress(kernel, "AddDllDirectory") != nullptr;
}

// The system folder (the 32-bit one for a 32-bit process on 64-bit Windows), however long;
// empty when the system does not say.
std::u16string SystemFolder() {
  std::u16string folder(MAX_PATH, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const UINT length = GetSystemDirectoryW(AsWide(folder), static_cast<UINT>(folder.size()));
    if (length == 0) {
      return {};
    }
    if (length < folder.size()) {
      folder.resize(length);
      return folder;
    }
    folder.assign(length + 1, u'\0');  // too small: `length` counts the terminator
  }
  return {};
}

}  // namespace

unique_hmodule LoadSystemLibrary(const wchar_t* fileName) {
  if (LoaderHasSearchFlags()) {
    return unique_hmodule(LoadLibraryExW(fileName, nullptr, kSearchSystem32));
  }
  const std::u16string folder = SystemFolder();
  if (folder.empty()) {
    return nullptr;
  }
  std::u16string path = folder;
  if (path.back() != u'\\') {
    path += u'\\';
  }
  path += reinterpret_cast<const char16_t*>(fileName);
  return unique_hmodule(LoadLibraryW(AsWide(path)));
}

}  // namespace tessaly::win32
