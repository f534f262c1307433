#include "tools/console/ConsoleOptions.h"

namespace tessaly {
namespace {

constexpr std::uint32_t kMaxTimeoutSeconds = 86400;

std::optional<std::uint32_t> ParseSeconds(std::u16string_view text) {
  if (text.empty() || text.size() > 5) {
    return std::nullopt;
  }
  std::uint32_t seconds = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') {
      return std::nullopt;
    }
    seconds = seconds * 10 + static_cast<std::uint32_t>(c - u'0');
  }
  if (seconds == 0 || seconds > kMaxTimeoutSeconds) {
    return std::nullopt;
  }
  return seconds;
}

}  // namespace

std::optional<ConsoleOptions> ParseConsoleOptions(std::span<const std::u16string> arguments) {
  ConsoleOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::u16string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (argument == u"--fix") {
      options.repair = true;
    } else if (argument == u"--answer" && hasValue &&
               (arguments[i + 1] == u"yes" || arguments[i + 1] == u"no")) {
      options.answer = arguments[++i] == u"yes" ? YesNoAnswer::Yes : YesNoAnswer::No;
    } else if (argument == u"--json" && hasValue && !arguments[i + 1].empty()) {
      options.transcriptPath = arguments[++i];
    } else if (argument == u"--timeout" && hasValue) {
      const std::optional<std::uint32_t> seconds = ParseSeconds(arguments[++i]);
      if (!seconds) {
        return std::nullopt;
      }
      options.timeoutSeconds = *seconds;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace tessaly
