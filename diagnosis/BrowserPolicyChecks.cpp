#include "diagnosis/BrowserPolicyChecks.h"

#include <optional>
#include <string>
#include <vector>

#include "config/TextConversion.h"
#include "diagnosis/CompatibilityList.h"
#include "diagnosis/RegistryEntryCheck.h"
#include "platform/RegistryValues.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kListKey =
    u"Software\\Microsoft\\Internet Explorer\\BrowserEmulation\\ClearableListData";
constexpr std::u16string_view kListValue = u"UserFilter";
constexpr std::u16string_view kSystemPolicyKey =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr std::u16string_view kHomePagePolicyKey =
    u"SOFTWARE\\Policies\\Microsoft\\Internet Explorer\\Control Panel";

const ConfigEntry kAllSitesCompatible{
    .text = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\BrowserEmulation",
    .name = "AllSitesCompatibilityMode",
    .type = "reg_dword",
    .value = "1"};

// A policy DWORD of the current user that is on when not 0. Off when its key or value is
// missing, or the value is of another type. A repair deletes it; the answer is then whether
// the deletion succeeded. A key or value that exists but cannot be opened or read counts
// as on: nothing shows that the policy is off. The value is measured with read access, so
// a policy key the user may read but not change is still measured; write access is asked
// for only to delete a policy that is on.
bool PolicyIsOff(const Registry& registry, std::u16string_view path, std::u16string_view name,
                 bool repair) {
  RegistryStatus status = RegistryStatus::Ok;
  const std::unique_ptr<RegistryKey> key = registry.OpenKey(
      RegistryRoot::CurrentUser, path, RegistryAccess::Read, kCheckKeyView, &status);
  if (key == nullptr) {
    return status == RegistryStatus::NotFound;
  }
  const RegistryRead<std::uint32_t> policy = ReadDword(*key, name);
  if (policy.result == ReadResult::Failed) {
    return false;
  }
  if (!policy.ok() || policy.value == 0) {
    return true;
  }
  if (!repair) {
    return false;
  }
  const std::unique_ptr<RegistryKey> writable =
      registry.OpenKey(RegistryRoot::CurrentUser, path, kCheckKeyAccess, kCheckKeyView);
  return writable != nullptr && writable->DeleteValue(name) == RegistryStatus::Ok;
}

// The domains in UTF-16; nothing when one does not convert, since an empty pattern would
// be found in any list.
std::optional<std::vector<std::u16string>> DomainsOf(const ConfigGroup& group,
                                                     const CodePages& codePages) {
  std::vector<std::u16string> domains;
  domains.reserve(group.entries.size());
  for (const ConfigEntry& entry : group.entries) {
    domains.push_back(Utf8ToWide(codePages, entry.text));
    if (domains.back().empty() && !entry.text.empty()) {
      return std::nullopt;
    }
  }
  return domains;
}

// The list stored under `key`, when there is one that can be extended.
std::optional<CompatibilityList> StoredList(const RegistryKey& key) {
  RegistryValue stored;
  if (key.ReadValue(kListValue, stored) != RegistryStatus::Ok ||
      stored.type != RegistryType::Binary) {
    return std::nullopt;
  }
  return CompatibilityList::FromBlob(stored.data);
}

bool WriteList(RegistryKey& key, const CompatibilityList& list) {
  return key.WriteValue(kListValue, {RegistryType::Binary, list.Blob()}) == RegistryStatus::Ok;
}

// Measures the domains against a stored list and, when repairing, appends the missing
// ones; each domain is looked for in the list as extended so far.
bool CompleteStoredList(RegistryKey& key, CompatibilityList list,
                        const std::vector<std::u16string>& domains, SeededRandom& random,
                        bool repair) {
  bool appended = false;
  for (const std::u16string& domain : domains) {
    if (list.Mentions(domain)) {
      continue;
    }
    if (!repair || !list.Append(domain, random)) {
      return false;
    }
    appended = true;
  }
  return !appended || WriteList(key, list);
}

bool WriteNewList(RegistryKey& key, const std::vector<std::u16string>& domains,
                  SeededRandom& random) {
  CompatibilityList list = CompatibilityList::Empty();
  for (const std::u16string& domain : domains) {
    if (!list.Append(domain, random)) {
      return false;
    }
  }
  return WriteList(key, list);
}

bool CompatibilityListHolds(const CheckConfig& config, const BrowserPolicyPlatform& platform,
                            bool repair) {
  const ConfigGroup* group = FindGroup(config, "compatibility");
  if (group == nullptr ||
      EnforceRegistryEntry(platform.registry, platform.codePages, kAllSitesCompatible, false)) {
    return true;
  }
  const std::optional<std::vector<std::u16string>> domains = DomainsOf(*group, platform.codePages);
  if (!domains) {
    return false;
  }
  std::unique_ptr<RegistryKey> key = platform.registry.OpenKey(
      RegistryRoot::CurrentUser, kListKey, kCheckKeyAccess, kCheckKeyView);
  if (key != nullptr) {
    if (std::optional<CompatibilityList> stored = StoredList(*key)) {
      return CompleteStoredList(*key, std::move(*stored), *domains, platform.random, repair);
    }
  } else {
    // The key is created as soon as it is found missing, measuring or not; an empty key
    // changes nothing the browser shows.
    key = platform.registry.CreateKey(RegistryRoot::CurrentUser, kListKey, kCheckKeyAccess,
                                      kCheckKeyView);
  }
  return repair && key != nullptr && WriteNewList(*key, *domains, platform.random);
}

}  // namespace

bool CheckCompatibilityList(CheckConfig& config, const BrowserPolicyPlatform& platform,
                            bool repair) {
  config.registryOk = CompatibilityListHolds(config, platform, repair);
  return config.registryOk;
}

bool CheckRegistry(CheckConfig& config, const BrowserPolicyPlatform& platform, bool repair) {
  config.registryOk = [&] {
    if (!CheckCompatibilityList(config, platform, repair)) {
      return false;
    }
    if (const ConfigGroup* group = FindGroup(config, "registry")) {
      for (const ConfigEntry& entry : group->entries) {
        if (!EnforceRegistryEntry(platform.registry, platform.codePages, entry, repair)) {
          return false;
        }
      }
    }
    return PolicyIsOff(platform.registry, kSystemPolicyKey, u"Disableregistrytools", repair);
  }();
  return config.registryOk;
}

bool CheckHomePagePolicy(CheckConfig& config, const Registry& registry, bool repair) {
  config.homePageOk = PolicyIsOff(registry, kHomePagePolicyKey, u"Homepage", repair);
  return config.homePageOk;
}

}  // namespace tessaly
