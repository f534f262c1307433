#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>

#include "platform/Registry.h"

namespace tessaly {

// An in-memory registry. Key paths and value names compare without regard to ASCII case,
// as Windows compares them. Keys exist only once created (CreateKey creates the parents
// too). With `wow64` set, the default and the native 64-bit views of HKLM and HKCR are
// separate trees, as for a 32-bit process on 64-bit Windows; HKCU is shared either way.
// Failures are injected per key path.
class FakeRegistry final : public Registry {
 public:
  struct KeyId {
    RegistryRoot root;
    bool native64;
    std::u16string path;  // lower-cased, without leading or trailing backslashes
    auto operator<=>(const KeyId&) const = default;
  };
  struct StoredValue {
    std::u16string name;  // as written
    RegistryValue value;
  };
  using Values = std::map<std::u16string, StoredValue>;  // by lower-cased name

  bool wow64 = false;
  std::set<std::u16string> denyOpen;   // lower-cased paths: opening answers AccessDenied
  std::set<std::u16string> denyWrite;  // lower-cased paths: writes and deletes fail
  // Lower-cased paths that open for reading only: asking for write access answers
  // AccessDenied, as for a policy key that only administrators may change.
  std::set<std::u16string> denyWriteOpen;
  std::set<std::u16string> failRead;   // lower-cased paths: value reads fail

  std::unique_ptr<RegistryKey> OpenKey(RegistryRoot root, std::u16string_view path,
                                       RegistryAccess access, RegistryView view,
                                       RegistryStatus* status = nullptr) const override;
  std::unique_ptr<RegistryKey> CreateKey(RegistryRoot root, std::u16string_view path,
                                         RegistryAccess access, RegistryView view,
                                         bool* created = nullptr,
                                         RegistryStatus* status = nullptr) const override;
  // Fails like Windows for a key with subkeys; denyWrite covers the key itself.
  RegistryStatus DeleteKey(RegistryRoot root, std::u16string_view path) const override;

  // Direct access for arranging and inspecting tests.
  bool KeyExists(RegistryRoot root, std::u16string_view path,
                 RegistryView view = RegistryView::Default) const;
  void SetValue(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                RegistryValue value, RegistryView view = RegistryView::Default);
  const RegistryValue* FindValue(RegistryRoot root, std::u16string_view path,
                                 std::u16string_view name,
                                 RegistryView view = RegistryView::Default) const;

 private:
  KeyId IdOf(RegistryRoot root, std::u16string_view path, RegistryView view) const;
  void CreateWithParents(const KeyId& id) const;

  // Mutable: opening a key through the const interface may create it, as on Windows.
  mutable std::map<KeyId, Values> keys_;
};

}  // namespace tessaly
