#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tessaly::bench {

// The three bank hosts the hosts-check benchmark configures.
const std::vector<std::string>& BenchmarkBankHosts();

// A hosts file of `lines` CR LF lines, the same on every run: a comment header, then
// mostly address lines for other names (some with aliases or trailing comments), blank and
// comment lines, and decoys that mention a bank host without redirecting it (a further
// label, an alias after it, a bare "#", IPv6). With `redirecting`, about one line in 500
// redirects a bank host in some letter case, some of them in blocks of adjacent lines.
std::string SyntheticHostsFile(std::size_t lines, bool redirecting);

}  // namespace tessaly::bench
