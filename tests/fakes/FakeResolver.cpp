#include "tests/fakes/FakeResolver.h"

namespace tessaly {
namespace {

std::string Dotted(const Ipv4Address& address) {
  return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
         std::to_string(address[2]) + "." + std::to_string(address[3]);
}

template <typename Map, typename Key>
std::vector<Ipv4Address> Lookup(const Map& entries, const Key& key) {
  const auto found = entries.find(key);
  return found == entries.end() ? std::vector<Ipv4Address>{} : found->second;
}

}  // namespace

std::vector<Ipv4Address> FakeResolver::AddressesOfName(std::string_view name) const {
  lookups_.push_back("name " + std::string(name));
  return Lookup(names, std::string(name));
}

std::vector<Ipv4Address> FakeResolver::AddressesOfAddress(const Ipv4Address& address) const {
  lookups_.push_back("address " + Dotted(address));
  return Lookup(reverseEntries, address);
}

}  // namespace tessaly
