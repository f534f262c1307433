#include "platform/win32/Win32Resolver.h"

#include <winsock2.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace tessaly::win32 {
namespace {

// A host entry holds at most a few dozen addresses; a longer list is not believed.
constexpr std::size_t kMostAddresses = 64;

std::vector<Ipv4Address> AddressesOf(const hostent* host) {
  std::vector<Ipv4Address> addresses;
  if (host == nullptr || host->h_addrtype != AF_INET ||
      host->h_length != static_cast<short>(sizeof(Ipv4Address)) || host->h_addr_list == nullptr) {
    return addresses;
  }
  for (char** entry = host->h_addr_list; *entry != nullptr && addresses.size() < kMostAddresses;
       ++entry) {
    Ipv4Address address{};
    std::memcpy(address.data(), *entry, address.size());
    addresses.push_back(address);
  }
  return addresses;
}

}  // namespace

Win32Resolver::Win32Resolver() {
  WSADATA data{};
  winsockStarted_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

Win32Resolver::~Win32Resolver() {
  if (winsockStarted_) {
    WSACleanup();
  }
}

std::vector<Ipv4Address> Win32Resolver::AddressesOfName(std::string_view name) const {
  if (!winsockStarted_ || name.find('\0') != std::string_view::npos) {
    return {};
  }
  const std::string terminated(name);
  return AddressesOf(gethostbyname(terminated.c_str()));
}

std::vector<Ipv4Address> Win32Resolver::AddressesOfAddress(const Ipv4Address& address) const {
  if (!winsockStarted_) {
    return {};
  }
  in_addr raw{};
  std::memcpy(&raw, address.data(), address.size());
  return AddressesOf(
      gethostbyaddr(reinterpret_cast<const char*>(&raw), static_cast<int>(sizeof(raw)), AF_INET));
}

}  // namespace tessaly::win32
