#include "diagnosis/InstallCommand.h"

namespace tessaly {

namespace {

// Appended piece by piece: "\"" + std::u16string(...) inserts at the front, which GCC 12
// at -O3 misjudges as an overlapping copy (a false -Wrestrict that -Werror makes fatal).
std::u16string Quoted(std::u16string_view path) {
  std::u16string quoted;
  quoted.reserve(path.size() + 2);
  quoted.push_back(u'"');
  quoted.append(path);
  quoted.push_back(u'"');
  return quoted;
}

}  // namespace

std::u16string InstallerCommandLine(std::u16string_view command,
                                    std::u16string_view installerPath) {
  constexpr std::u16string_view kQuotedPlaceholder = u"\"%1\"";
  constexpr std::u16string_view kPlaceholder = u"%1";
  const std::u16string quotedPath = Quoted(installerPath);
  std::u16string line;
  while (!command.empty()) {
    if (command.starts_with(kQuotedPlaceholder)) {
      line += quotedPath;
      command.remove_prefix(kQuotedPlaceholder.size());
    } else if (command.starts_with(kPlaceholder)) {
      line += quotedPath;
      command.remove_prefix(kPlaceholder.size());
    } else {
      line.push_back(command.front());
      command.remove_prefix(1);
    }
  }
  return line;
}

std::u16string RegisterServerCommandLine(std::u16string_view filePath) {
  std::u16string line = u"regsvr32 /s ";
  line += Quoted(filePath);
  return line;
}

}  // namespace tessaly
