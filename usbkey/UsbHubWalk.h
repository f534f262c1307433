#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/UsbDriver.h"

namespace tessaly {

// One walk of the USB tree: the controllers already walked and the devices found so far.
//
// The hub names come from the drivers, so they are not trusted to form a tree: a hub is
// walked at most once per walk (one that names itself, or a loop, ends there), and no
// deeper than the seven tiers USB allows.
class UsbHubWalk {
 public:
  explicit UsbHubWalk(const UsbDriver& driver) : driver_(driver) {}

  // Walks the controller at `path` unless a controller of the same driver key name (compared
  // whole and case-sensitively) was walked before.
  void WalkHostController(const std::u16string& path);

  const std::vector<std::uint32_t>& devices() const { return devices_; }

 private:
  static constexpr int kMaxHubTiers = 7;

  void WalkHub(const std::u16string& name, int tier);

  const UsbDriver& driver_;
  std::set<std::u16string> seenControllers_;
  std::set<std::u16string> seenHubs_;
  std::vector<std::uint32_t> devices_;
};

}  // namespace tessaly
