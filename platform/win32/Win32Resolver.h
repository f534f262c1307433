#pragma once

#include "platform/Resolver.h"

namespace tessaly::win32 {

// The Winsock resolver (gethostbyname, gethostbyaddr). The object starts Winsock itself
// for as long as it lives, since a console program has no browser control that would have
// done so; while Winsock cannot be started, every lookup answers an empty list.
class Win32Resolver final : public Resolver {
 public:
  Win32Resolver();
  ~Win32Resolver() override;
  Win32Resolver(const Win32Resolver&) = delete;
  Win32Resolver& operator=(const Win32Resolver&) = delete;

  // A name with a zero byte inside is not the name that would be looked up: empty.
  std::vector<Ipv4Address> AddressesOfName(std::string_view name) const override;
  std::vector<Ipv4Address> AddressesOfAddress(const Ipv4Address& address) const override;

 private:
  bool winsockStarted_ = false;
};

}  // namespace tessaly::win32
