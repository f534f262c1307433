// TessalyConsole: the program's diagnosis without its window. It runs the same start-up
// hand-over as the program (the configuration worker, the wait for the configuration, the
// diagnosis on window timers through a real message loop), writes every page call as a
// readable line, and with --fix then repairs every failing check item as "一键设置" does.
// With --json FILE every page call is also written to FILE as a line of JSON.
// Exit status: 0 the run completed, 2 usage or start-up error, 3 time-out.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/portable/Utf8Codec.h"
#include "platform/win32/ComApartment.h"
#include "tools/console/ConsoleOptions.h"
#include "tools/console/win32/ConsoleRun.h"

namespace {

std::vector<std::u16string> ArgumentsOf(int argc, wchar_t** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument(argv[i]);
    arguments.emplace_back(argument.begin(), argument.end());
  }
  return arguments;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace tessaly;
  using namespace tessaly::win32;
  // Lines are UTF-8 and end in LF whatever the console or pipe.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::optional<ConsoleOptions> options = ParseConsoleOptions(ArgumentsOf(argc, argv));
  if (!options) {
    std::cerr << EncodeUtf8(kConsoleUsage) << '\n';
    return kExitUsage;
  }
  std::ofstream transcript;
  if (!options->transcriptPath.empty()) {
    const std::wstring path(options->transcriptPath.begin(), options->transcriptPath.end());
    transcript.open(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    if (!transcript) {
      std::cerr << "cannot write " << EncodeUtf8(options->transcriptPath) << '\n';
      return kExitUsage;
    }
  }
  const ComApartment apartment;
  ConsoleRun run(*options, std::cout, transcript.is_open() ? &transcript : nullptr);
  return run.Run();
}
