#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <limits>
#include <utility>
#include <string>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

RegistryStatus StatusOf(LSTATUS error) {
  switch (error) {
    case ERROR_SUCCESS: return RegistryStatus::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return RegistryStatus::NotFound;
    case ERROR_ACCESS_DENIED: return RegistryStatus::AccessDenied;
    default: return RegistryStatus::Failed;
  }
}

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser: break;
  }
  return HKEY_CURRENT_USER;
}

REGSAM Sam(RegistryAccess access, RegistryView view) {
  REGSAM sam = KEY_READ;
  if (access == RegistryAccess::ReadWrite) {
    sam = KEY_READ | KEY_WRITE;
  } else if (access == RegistryAccess::All) {
    sam = KEY_ALL_ACCESS;
  }
  return view == RegistryView::Native64 ? (sam | KEY_WOW64_64KEY) : sam;
}

// Registry calls take zero-terminated names.
std::u16string Terminated(std::u16string_view text) { return std::u16string(text); }

class Win32RegistryKey final : public RegistryKey {
 public:
  explicit Win32RegistryKey(unique_hkey key) : key_(std::move(key)) {}

  RegistryStatus ReadValue(std::u16string_view name, RegistryValue& value) const override {
    const std::u16string valueName = Terminated(name);
    // The value may change between asking for its size and reading it; retry a few
    // times while it keeps growing.
    for (int attempt = 0; attempt < 4; ++attempt) {
      DWORD type = 0;
      DWORD size = 0;
      LSTATUS error = RegQueryValueExW(key_.get(), AsWide(valueName), nullptr, &type, nullptr, &size);
      if (error != ERROR_SUCCESS) {
        return StatusOf(error);
      }
      value.data.resize(size);
      error = RegQueryValueExW(key_.get(), AsWide(valueName), nullptr, &type,
                               value.data.data(), &size);
      if (error == ERROR_MORE_DATA) {
        continue;
      }
      if (error != ERROR_SUCCESS) {
        return StatusOf(error);
      }
      value.data.resize(size);
      value.type = static_cast<RegistryType>(type);
      return RegistryStatus::Ok;
    }
    return RegistryStatus::Failed;
  }

  RegistryStatus WriteValue(std::u16string_view name, const RegistryValue& value) override {
    if (value.data.size() > std::numeric_limits<DWORD>::max()) {
      return RegistryStatus::Failed;
    }
    const std::u16string valueName = Terminated(name);
    return StatusOf(RegSetValueExW(key_.get(), AsWide(valueName), 0,
                                   static_cast<DWORD>(value.type), value.data.data(),
                                   static_cast<DWORD>(value.data.size())));
  }

  RegistryStatus DeleteValue(std::u16string_view name) override {
    const std::u16string valueName = Terminated(name);
    return StatusOf(RegDeleteValueW(key_.get(), AsWide(valueName)));
  }

 private:
  unique_hkey key_;
};

void Report(RegistryStatus* out, RegistryStatus status) {
  if (out != nullptr) {
    *out = status;
  }
}

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::OpenKey(RegistryRoot root, std::u16string_view path,
                                                     RegistryAccess access, RegistryView view,
                                                     RegistryStatus* status) const {
  const std::u16string keyPath = Terminated(path);
  HKEY opened = nullptr;
  const LSTATUS error = RegOpenKeyExW(RootKey(root), AsWide(keyPath), 0, Sam(access, view), &opened);
  Report(status, StatusOf(error));
  if (error != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32RegistryKey>(unique_hkey(opened));
}

std::unique_ptr<RegistryKey> Win32Registry::CreateKey(RegistryRoot root, std::u16string_view path,
                                                       RegistryAccess access, RegistryView view,
                                                       bool* created,
                                                       RegistryStatus* status) const {
  const std::u16string keyPath = Terminated(path);
  HKEY opened = nullptr;
  DWORD disposition = 0;
  const LSTATUS error =
      RegCreateKeyExW(RootKey(root), AsWide(keyPath), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      Sam(access, view), nullptr, &opened, &disposition);
  Report(status, StatusOf(error));
  if (error != ERROR_SUCCESS) {
    return nullptr;
  }
  if (created != nullptr) {
    *created = disposition == REG_CREATED_NEW_KEY;
  }
  return std::make_unique<Win32RegistryKey>(unique_hkey(opened));
}

RegistryStatus Win32Registry::DeleteKey(RegistryRoot root, std::u16string_view path) const {
  const std::u16string keyPath = Terminated(path);
  return StatusOf(RegDeleteKeyW(RootKey(root), AsWide(keyPath)));
}

}  // namespace tessaly::win32
