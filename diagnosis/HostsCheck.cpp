#include "diagnosis/HostsCheck.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "diagnosis/HostRedirectionPattern.h"
#include "diagnosis/HostsText.h"

namespace tessaly {
namespace {

// An entry without a name names no host; its pattern would take blank and address-only
// lines for redirections and fail the check on most hosts files.
std::vector<HostRedirectionPattern> PatternsOf(const ConfigGroup& hosts) {
  std::vector<HostRedirectionPattern> patterns;
  patterns.reserve(hosts.entries.size());
  for (const ConfigEntry& entry : hosts.entries) {
    if (!entry.text.empty()) {
      patterns.emplace_back(entry.text);
    }
  }
  return patterns;
}

bool AnyRedirection(const std::vector<HostRedirectionPattern>& patterns, std::string_view text) {
  return std::ranges::any_of(patterns, [text](const HostRedirectionPattern& pattern) {
    return pattern.Find(text).has_value();
  });
}

// Removing one host's lines can join an address-only line to a later line of a host
// cleaned before, which then redirects it; the hosts are gone over until a round removes
// nothing, so that the check after the repair finds the file clean. A removal always
// shortens the text, so the rounds end.
std::string WithoutRedirections(const std::vector<HostRedirectionPattern>& patterns,
                                std::string text) {
  for (std::size_t before = text.size() + 1; text.size() != before;) {
    before = text.size();
    for (const HostRedirectionPattern& pattern : patterns) {
      text = pattern.RemoveAllMatches(std::move(text));
    }
  }
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
