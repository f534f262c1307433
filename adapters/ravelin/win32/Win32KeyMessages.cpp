#include "adapters/ravelin/win32/Win32KeyMessages.h"

#include <string>

namespace tessaly::ravelin::win32 {

std::wstring LibraryTitle(HMODULE library) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(library, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return L"";
    }
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
  return name.substr(0, name.rfind(L'.'));
}

namespace {

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

void Win32KeyMessages::ShowNotice(std::u16string_view text) {
  MessageBoxW(nullptr, Wide(text).c_str(), LibraryTitle(library_).c_str(), MB_OK);
}

void Win32KeyMessages::ShowWarning(std::u16string_view caption, std::u16string_view text) {
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), MB_OK);
}

}  // namespace tessaly::ravelin::win32
