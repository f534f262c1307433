#include "diagnosis/HostsCheck.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "diagnosis/HostRedirectionPattern.h"
#include "diagnosis/HostsText.h"

namespace tessaly {
namespace {

std::vector<HostRedirectionPattern> PatternsOf(const ConfigGroup& hosts) {
  std::vector<HostRedirectionPattern> patterns;
  patterns.reserve(hosts.entries.size());
  for (const ConfigEntry& entry : hosts.entries) {
    patterns.emplace_back(entry.text);
  }
  return patterns;
}

bool AnyRedirection(const std::vector<HostRedirectionPattern>& patterns, std::string_view text) {
  return std::ranges::any_of(patterns, [text](const HostRedirectionPattern& pattern) {
    return pattern.Find(text).has_value();
  });
}

// Removing one host's lines can join an address-only line to a later line of a host
// removed before, which then matches again; the hosts are gone over until none is left,
// so that the check after the repair finds the file clean. Each round shortens the text.
std::string WithoutRedirections(const std::vector<HostRedirectionPattern>& patterns,
                                std::string text) {
  do {
    for (const HostRedirectionPattern& pattern : patterns) {
      text = pattern.RemoveAllMatches(std::move(text));
    }
  } while (AnyRedirection(patterns, text));
  return text;
}

bool Evaluate(const CheckConfig& config, const WideEnvironment& environment,
              const WholeFiles& files, bool repair) {
  const ConfigGroup* hosts = FindGroup(config, "host");
  if (hosts == nullptr) {
    return true;
  }
  const std::u16string path = ExpandEnvironment(environment, kHostsFilePath);
  const WholeFileContent file =
      path.empty() ? WholeFileContent{} : files.Read(path, kMaxHostsFileBytes);
  if (file.status == WholeFileStatus::kUnreadable) {
    return false;
  }
  std::string text = file.status == WholeFileStatus::kRead ? HostsTextFromFile(file.bytes) : "";
  const std::vector<HostRedirectionPattern> patterns = PatternsOf(*hosts);
  if (!repair) {
    return !AnyRedirection(patterns, text);
  }
  return files.Replace(path, HostsFileFromText(WithoutRedirections(patterns, std::move(text))));
}

}  // namespace

bool CheckHosts(CheckConfig& config, const WideEnvironment& environment, const WholeFiles& files,
                bool repair) {
  config.hostsOk = Evaluate(config, environment, files, repair);
  return config.hostsOk;
}

}  // namespace tessaly
