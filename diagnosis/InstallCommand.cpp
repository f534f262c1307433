#include "diagnosis/InstallCommand.h"

namespace tessaly {

std::u16string InstallerCommandLine(std::u16string_view command,
                                    std::u16string_view installerPath) {
  constexpr std::u16string_view kQuotedPlaceholder = u"\"%1\"";
  constexpr std::u16string_view kPlaceholder = u"%1";
  const std::u16string quotedPath = u"\"" + std::u16string(installerPath) + u"\"";
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
  return u"regsvr32 /s \"" + std::u16string(filePath) + u"\"";
}

}  // namespace tessaly
