#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/UrlZones.h"

namespace tessaly {

// Zone settings and site mappings in memory, behaving as the platform does: adding a
// plain-HTTP site to a zone that requires server verification is denied. Every call of the
// managers is recorded in `calls`, in order, as text (URLs must be ASCII):
//   "get <zone>", "set <zone> level=<n> flags=<hex>", "copy <template> to <zone>",
//   "map <url>", "add <zone> <url>".
class FakeUrlZones final : public UrlZoneServices {
 public:
  struct State {
    std::map<std::uint32_t, ZoneAttributes> zones;  // a zone missing here cannot be read
    std::map<std::u16string, std::uint32_t> sites;  // URL to zone; others lie in zone 3
    std::set<std::u16string> unmappableUrls;        // MapUrlToZone fails for these
    // The security template whose policies each zone was last given, by CopyTemplate...
    std::map<std::uint32_t, std::uint32_t> copiedTemplates;
    bool zoneManagerMissing = false;
    bool securityManagerMissing = false;
    bool refuseSetAttributes = false;
    bool refuseCopyTemplate = false;
    bool failAddMapping = false;  // an error other than access denied
    std::vector<std::string> calls;
  };

  FakeUrlZones() = default;
  FakeUrlZones(const FakeUrlZones&) = delete;
  FakeUrlZones& operator=(const FakeUrlZones&) = delete;

  std::unique_ptr<ZoneManager> CreateZoneManager() const override;
  std::unique_ptr<SecurityManager> CreateSecurityManager() const override;

  // The managers keep working on this state, which the test sets up and inspects.
  State& state() const { return *state_; }

 private:
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tessaly
