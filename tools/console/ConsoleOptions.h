#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/Prompts.h"

namespace tessaly {

// What the console front end was asked to do.
struct ConsoleOptions {
  // After the diagnosis, do what the page's "一键设置" does: `site`, then `installandfix`
  // (every failing check repaired, the user's components installed).
  bool repair = false;
  // How the download and install questions are answered; nothing: nobody answers them,
  // which goes on with the next job.
  std::optional<YesNoAnswer> answer{};
  // Where to write every page call as a line of JSON; empty: nowhere.
  std::u16string transcriptPath{};
  // The whole run (diagnosis and repair) is given up after this many seconds.
  std::uint32_t timeoutSeconds = 300;
};

inline constexpr std::u16string_view kConsoleUsage =
    u"usage: TessalyConsole [--fix] [--answer yes|no] [--json FILE] [--timeout SECONDS]";

// The arguments after the program name; nothing for an unknown option, a missing value, an
// answer other than "yes" or "no", or a time-out that is not a number from 1 to 86400.
std::optional<ConsoleOptions> ParseConsoleOptions(std::span<const std::u16string> arguments);

}  // namespace tessaly
