#pragma once

#include "config/CheckConfig.h"
#include "platform/CodePages.h"
#include "platform/Registry.h"
#include "platform/SeededRandom.h"

namespace tessaly {

// What the browser and policy checks need of the platform. The random generator is only
// drawn from when an entry is added to the compatibility list.
struct BrowserPolicyPlatform {
  const Registry& registry;
  const CodePages& codePages;
  SeededRandom& random;
};

// Check item 2: the compatibility list, then every entry of the "registry" group in order
// (EnforceRegistryEntry), then the policy value "Disableregistrytools" of the current user;
// the first that fails decides. The policy holds when its key or value is missing, is not a
// DWORD or is 0; a repair deletes it. Writes and returns `registryOk`.
bool CheckRegistry(CheckConfig& config, const BrowserPolicyPlatform& platform, bool repair);

// Whether every domain of the "compatibility" group is in the browser's compatibility-view
// list. Holds without a group, and without reading the list when the browser already shows
// every site in compatibility view ("AllSitesCompatibilityMode" 1). A repair appends the
// missing domains to the stored list, or writes a new list with every domain of the group
// when there is no readable one. Writes and returns `registryOk`.
bool CheckCompatibilityList(CheckConfig& config, const BrowserPolicyPlatform& platform,
                            bool repair);

// Check item 9: the policy value "Homepage" that locks the browser's home page. Holds when
// its key or value is missing, is not a DWORD or is 0; a repair deletes it. Writes and
// returns `homePageOk`.
bool CheckHomePagePolicy(CheckConfig& config, const Registry& registry, bool repair);

}  // namespace tessaly
