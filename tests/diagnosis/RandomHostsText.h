#pragma once

#include <random>
#include <string>
#include <vector>

namespace tessaly {

// Host names that stress the redirection pattern: ordinary names, names that begin with
// or consist of digits and dots (so they may start inside the address run), names with
// blanks, "#", regex metacharacters and UTF-8, and the empty name.
const std::vector<std::string>& AwkwardHostNames();

// A small hosts text around `hosts`, drawn from `random`: addresses, blank and
// whitespace-only lines, address-only lines, comments, bare "#", aliases, IPv6 lines, the
// hosts in any letter case, with labels before or after them or embedded in longer names,
// tabs, vertical tabs, lone CRs, CR LFs, NULs, long runs of blanks and digits, and with or
// without a final LF. Small enough for a backtracking regex engine.
std::string RandomHostsText(std::mt19937& random, const std::vector<std::string>& hosts);

}  // namespace tessaly
