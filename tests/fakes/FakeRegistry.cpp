#include "tests/fakes/FakeRegistry.h"

#include <algorithm>

namespace tessaly {
namespace {

std::u16string Lower(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& unit : lower) {
    if (unit >= u'A' && unit <= u'Z') {
      unit = static_cast<char16_t>(unit - u'A' + u'a');
    }
  }
  return lower;
}

void Report(RegistryStatus* out, RegistryStatus status) {
  if (out != nullptr) {
    *out = status;
  }
}

class FakeKey final : public RegistryKey {
 public:
  FakeKey(FakeRegistry::Values& values, bool readable, bool writable)
      : values_(values), readable_(readable), writable_(writable) {}

  RegistryStatus ReadValue(std::u16string_view name, RegistryValue& value) const override {
    if (!readable_) {
      return RegistryStatus::Failed;
    }
    const auto found = values_.find(Lower(name));
    if (found == values_.end()) {
      return RegistryStatus::NotFound;
    }
    value = found->second.value;
    return RegistryStatus::Ok;
  }

  RegistryStatus WriteValue(std::u16string_view name, const RegistryValue& value) override {
    if (!writable_) {
      return RegistryStatus::AccessDenied;
    }
    values_[Lower(name)] = {std::u16string(name), value};
    return RegistryStatus::Ok;
  }

  RegistryStatus DeleteValue(std::u16string_view name) override {
    if (!writable_) {
      return RegistryStatus::AccessDenied;
    }
    return values_.erase(Lower(name)) != 0 ? RegistryStatus::Ok : RegistryStatus::NotFound;
  }

 private:
  FakeRegistry::Values& values_;
  bool readable_;
  bool writable_;
};

}  // namespace

FakeRegistry::KeyId FakeRegistry::IdOf(RegistryRoot root, std::u16string_view path,
                                       RegistryView view) const {
  while (!path.empty() && path.front() == u'\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  const bool separateViews = wow64 && root != RegistryRoot::CurrentUser;
  return {root, separateViews && view == RegistryView::Native64, Lower(path)};
}

void FakeRegistry::CreateWithParents(const KeyId& id) const {
  std::size_t end = 0;
  do {
    end = id.path.find(u'\\', end + 1);
    keys_.try_emplace(KeyId{id.root, id.native64, id.path.substr(0, end)});
  } while (end != std::u16string::npos);
}

std::unique_ptr<RegistryKey> FakeRegistry::OpenKey(RegistryRoot root, std::u16string_view path,
                                                   RegistryAccess access, RegistryView view,
                                                   RegistryStatus* status) const {
  const KeyId id = IdOf(root, path, view);
  if (denyOpen.contains(id.path) ||
      (access != RegistryAccess::Read && denyWriteOpen.contains(id.path))) {
    Report(status, RegistryStatus::AccessDenied);
    return nullptr;
  }
  const auto found = keys_.find(id);
  if (found == keys_.end()) {
    Report(status, RegistryStatus::NotFound);
    return nullptr;
  }
  Report(status, RegistryStatus::Ok);
  const bool writable = access != RegistryAccess::Read && !denyWrite.contains(id.path);
  return std::make_unique<FakeKey>(found->second, !failRead.contains(id.path), writable);
}

std::unique_ptr<RegistryKey> FakeRegistry::CreateKey(RegistryRoot root, std::u16string_view path,
                                                     RegistryAccess access, RegistryView view,
                                                     bool* created, RegistryStatus* status) const {
  const KeyId id = IdOf(root, path, view);
  if (denyOpen.contains(id.path)) {
    Report(status, RegistryStatus::AccessDenied);
    return nullptr;
  }
  const bool existed = keys_.contains(id);
  if (created != nullptr) {
    *created = !existed;
  }
  CreateWithParents(id);
  return OpenKey(root, path, access, view, status);
}

RegistryStatus FakeRegistry::DeleteKey(RegistryRoot root, std::u16string_view path) const {
  const KeyId id = IdOf(root, path, RegistryView::Default);
  const auto found = keys_.find(id);
  if (found == keys_.end()) {
    return RegistryStatus::NotFound;
  }
  if (denyWrite.contains(id.path)) {
    return RegistryStatus::AccessDenied;
  }
  const std::u16string childPrefix = id.path + u"\\";
  const bool hasSubkeys = std::ranges::any_of(keys_, [&](const auto& key) {
    return key.first.root == id.root && key.first.native64 == id.native64 &&
           key.first.path.starts_with(childPrefix);
  });
  if (hasSubkeys) {
    return RegistryStatus::Failed;
  }
  keys_.erase(found);
  return RegistryStatus::Ok;
}

bool FakeRegistry::KeyExists(RegistryRoot root, std::u16string_view path, RegistryView view) const {
  return keys_.contains(IdOf(root, path, view));
}

void FakeRegistry::SetValue(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                            RegistryValue value, RegistryView view) {
  const KeyId id = IdOf(root, path, view);
  CreateWithParents(id);
  keys_[id][Lower(name)] = {std::u16string(name), std::move(value)};
}

const RegistryValue* FakeRegistry::FindValue(RegistryRoot root, std::u16string_view path,
                                             std::u16string_view name, RegistryView view) const {
  const auto key = keys_.find(IdOf(root, path, view));
  if (key == keys_.end()) {
    return nullptr;
  }
  const auto value = key->second.find(Lower(name));
  return value == key->second.end() ? nullptr : &value->second.value;
}

}  // namespace tessaly
