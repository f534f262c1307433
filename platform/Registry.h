#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

enum class RegistryRoot { CurrentUser, LocalMachine, ClassesRoot };

// Which side of a 64-bit system a 32-bit process looks at: its own (redirected) view, or
// the native 64-bit one (KEY_WOW64_64KEY).
enum class RegistryView { Default, Native64 };

enum class RegistryAccess { Read, ReadWrite, All };

// Value types with the numbers Windows gives them.
enum class RegistryType : std::uint32_t {
  None = 0,
  String = 1,        // REG_SZ
  ExpandString = 2,  // REG_EXPAND_SZ
  Binary = 3,        // REG_BINARY
  Dword = 4,         // REG_DWORD
  MultiString = 7,   // REG_MULTI_SZ
  Qword = 11,        // REG_QWORD
};

enum class RegistryStatus {
  Ok,
  NotFound,      // the key or value does not exist
  AccessDenied,
  Failed,        // anything else the system reports
};

// A value as stored: its type and its raw bytes (strings in UTF-16LE, usually with their
// terminating zero). Typed reading lives in RegistryValues.h.
struct RegistryValue {
  RegistryType type = RegistryType::None;
  std::vector<std::uint8_t> data;

  bool operator==(const RegistryValue&) const = default;
};

// An open key. Closing happens when the object goes away, so every path out of an
// operation closes what it opened.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual RegistryStatus ReadValue(std::u16string_view name, RegistryValue& value) const = 0;
  virtual RegistryStatus WriteValue(std::u16string_view name, const RegistryValue& value) = 0;
  virtual RegistryStatus DeleteValue(std::u16string_view name) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens an existing key; nullptr (with the reason in `status` when given) otherwise.
  virtual std::unique_ptr<RegistryKey> OpenKey(RegistryRoot root, std::u16string_view path,
                                               RegistryAccess access, RegistryView view,
                                               RegistryStatus* status = nullptr) const = 0;
  // Opens the key, creating it and any missing parents (non-volatile). `created` tells
  // whether it had to be created.
  virtual std::unique_ptr<RegistryKey> CreateKey(RegistryRoot root, std::u16string_view path,
                                                 RegistryAccess access, RegistryView view,
                                                 bool* created = nullptr,
                                                 RegistryStatus* status = nullptr) const = 0;
  // Deletes a key that has no subkeys, with its values (default view). NotFound when it is
  // not there.
  virtual RegistryStatus DeleteKey(RegistryRoot root, std::u16string_view path) const = 0;
};

}  // namespace tessaly
