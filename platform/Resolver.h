#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tessaly {

// An IPv4 address as its four bytes, most significant first ("10.1.2.3" is {10, 1, 2, 3}).
using Ipv4Address = std::array<std::uint8_t, 4>;

// The platform's name resolver, IPv4 only. Both lookups answer the addresses in the order
// the resolver gives them; an empty list when the lookup fails or yields no IPv4 address.
class Resolver {
 public:
  virtual ~Resolver() = default;
  // Forward lookup of a host name (its bytes as the configuration holds them).
  virtual std::vector<Ipv4Address> AddressesOfName(std::string_view name) const = 0;
  // Reverse lookup of an address: when the address has a reverse entry, the addresses of
  // the answer (normally the address itself); empty otherwise.
  virtual std::vector<Ipv4Address> AddressesOfAddress(const Ipv4Address& address) const = 0;
};

}  // namespace tessaly
