#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tessaly {

// What the console front end was asked to do.
struct ConsoleOptions {
  // After the diagnosis, run the repair of every failing check item (`fix(0)`).
  bool repair = false;
  // Where to write every page call as a line of JSON; empty: nowhere.
  std::u16string transcriptPath{};
  // The whole run (diagnosis and repair) is given up after this many seconds.
  std::uint32_t timeoutSeconds = 300;
};

inline constexpr std::u16string_view kConsoleUsage =
    u"usage: TessalyConsole [--fix] [--json FILE] [--timeout SECONDS]";

// The arguments after the program name; nothing for an unknown option, a missing value or
// a time-out that is not a number from 1 to 86400.
std::optional<ConsoleOptions> ParseConsoleOptions(std::span<const std::u16string> arguments);

}  // namespace tessaly
