#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Resolver.h"

namespace tessaly {

// A resolver with scripted forward and reverse entries. A name or address without an entry
// does not resolve. Every lookup is recorded, as "name <text>" or "address <a.b.c.d>".
class FakeResolver final : public Resolver {
 public:
  std::map<std::string, std::vector<Ipv4Address>> names;
  std::map<Ipv4Address, std::vector<Ipv4Address>> reverseEntries;

  std::vector<Ipv4Address> AddressesOfName(std::string_view name) const override;
  std::vector<Ipv4Address> AddressesOfAddress(const Ipv4Address& address) const override;

  const std::vector<std::string>& lookups() const { return lookups_; }

 private:
  mutable std::vector<std::string> lookups_;
};

}  // namespace tessaly
