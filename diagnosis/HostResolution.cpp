#include "diagnosis/HostResolution.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace tessaly {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<std::uint8_t> ParseAddressPart(std::string_view part) {
  if (part.empty() || part.size() > 3 || !std::all_of(part.begin(), part.end(), IsDigit)) {
    return std::nullopt;
  }
  if (part.size() > 1 && part.front() == '0') {
    return std::nullopt;
  }
  unsigned value = 0;
  for (const char digit : part) {
    value = value * 10 + static_cast<unsigned>(digit - '0');
  }
  if (value > 255) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(value);
}

std::vector<std::string> DottedTexts(const std::vector<Ipv4Address>& addresses) {
  std::vector<std::string> texts;
  texts.reserve(addresses.size());
  for (const Ipv4Address& address : addresses) {
    texts.push_back(DottedText(address));
  }
  return texts;
}

}  // namespace

std::optional<Ipv4Address> ParseDottedIpv4(std::string_view text) {
  Ipv4Address address{};
  std::size_t start = 0;
  for (std::size_t index = 0; index < address.size(); ++index) {
    const bool last = index + 1 == address.size();
    const std::size_t end = last ? text.size() : text.find('.', start);
    if (end == std::string_view::npos) {
      return std::nullopt;
    }
    const std::optional<std::uint8_t> part = ParseAddressPart(text.substr(start, end - start));
    if (!part) {
      return std::nullopt;
    }
    address[index] = *part;
    start = end + 1;
  }
  return address;
}

std::string DottedText(const Ipv4Address& address) {
  std::string text;
  for (std::size_t index = 0; index < address.size(); ++index) {
    if (index > 0) {
      text.push_back('.');
    }
    text += std::to_string(address[index]);
  }
  return text;
}

std::vector<std::string> ResolveHost(const Resolver& resolver, std::string_view host) {
  if (std::any_of(host.begin(), host.end(), IsAsciiLetter)) {
    return DottedTexts(resolver.AddressesOfName(host));
  }
  const std::optional<Ipv4Address> address = ParseDottedIpv4(host);
  if (!address) {
    return {};
  }
  return DottedTexts(resolver.AddressesOfAddress(*address));
}

}  // namespace tessaly
