#pragma once

#include <string>
#include <string_view>

#include "config/CheckConfig.h"
#include "diagnosis/ComponentPlatform.h"

namespace tessaly {

// What the configuration's update record asks of a program file, answered by the same test
// the component files pass: the file is there, its version is not below the record's
// `version` and its digest is the record's `md5`, where the record names them.
bool PassesUpdateRecord(const ComponentPlatform& platform, const AppInfo& record,
                        std::string_view pathUtf8);

// An update is needed when the running program's own file fails the record's test.
bool IsUpdateNeeded(const ComponentPlatform& platform, const AppInfo& record,
                    std::u16string_view programPath);

// The last component of a download address when it is a plain file name (no folder, drive
// or stream part, not "." or ".."); empty otherwise. An address names a file to write
// beside the program or the downloads, never a place elsewhere.
std::u16string DownloadedFileName(std::u16string_view address);

// Where the record's installer is saved: the folder of the record's download path with the
// installer's own name; empty when either cannot be told.
std::u16string InstallerPath(const AppInfo& record, const CodePages& codePages);

// The file the downloaded program replaces: the program's folder with the downloaded file's
// name (after a forward slash, as the address has it), or the program itself when the
// program's path has no folder or the address no "/". Empty when the address ends in
// something that is no plain file name.
std::u16string SwapTarget(std::u16string_view programPath, const AppInfo& record,
                          const CodePages& codePages);

// The command line that starts the program at `programPath` to finish an update.
std::u16string RestartCommand(std::u16string_view programPath);

}  // namespace tessaly
