#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The installer's command line: every "%1" becomes the installer's path in double quotes. A
// placeholder already written in quotes, "\"%1\"", is replaced whole, so the path is quoted
// once either way.
std::u16string InstallerCommandLine(std::u16string_view command, std::u16string_view installerPath);

// The silent registration of a downloaded in-process server: regsvr32 /s "path".
std::u16string RegisterServerCommandLine(std::u16string_view filePath);

}  // namespace tessaly
