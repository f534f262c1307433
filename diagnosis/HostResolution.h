#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Resolver.h"

namespace tessaly {

// A dotted IPv4 address in its one strict form: exactly four parts separated by single dots,
// each one to three decimal digits with a value up to 255, and nothing else (no spaces, no
// sign). A part with a leading zero ("010") is refused: the classic parser would read it as
// octal, and a configured address must mean what it shows. The short forms that parser also
// takes ("1.2.3", "16909060", hexadecimal parts) are refused for the same reason.
std::optional<Ipv4Address> ParseDottedIpv4(std::string_view text);

// "a.b.c.d" in decimal, without leading zeros.
std::string DottedText(const Ipv4Address& address);

// The IPv4 addresses of a configured host, as dotted texts in the resolver's order. A text
// with an ASCII letter is looked up as a name; any other text must be a dotted address
// (ParseDottedIpv4) and is looked up in reverse, so an address without a reverse entry, or
// an invalid one, gives an empty list.
std::vector<std::string> ResolveHost(const Resolver& resolver, std::string_view host);

}  // namespace tessaly
