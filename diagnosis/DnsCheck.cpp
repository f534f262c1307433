#include "diagnosis/DnsCheck.h"

#include <algorithm>
#include <string>
#include <vector>

#include "diagnosis/ExpectedAddresses.h"
#include "diagnosis/HostResolution.h"

namespace tessaly {
namespace {

bool ResolvesAsExpected(const Resolver& resolver, const std::string& host,
                        const std::vector<std::string>& expected) {
  const std::vector<std::string> resolved = ResolveHost(resolver, host);
  return !resolved.empty() &&
         std::all_of(resolved.begin(), resolved.end(), [&](const std::string& address) {
           return std::find(expected.begin(), expected.end(), address) != expected.end();
         });
}

}  // namespace

bool CheckDns(CheckConfig& config, const Resolver& resolver) {
  const ConfigGroup* group = FindGroup(config, "dns");
  if (group == nullptr) {
    return config.dnsOk = true;
  }
  for (const auto& [host, expected] : FoldExpectedAddresses(*group)) {
    if (!ResolvesAsExpected(resolver, host, expected)) {
      return config.dnsOk = false;
    }
  }
  return config.dnsOk = true;
}

}  // namespace tessaly
