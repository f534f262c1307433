#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/UniqueHandles.h"

namespace tessaly::ravelin::win32 {

// Everything here may run inside the loader's attach and detach notifications, so it calls
// kernel32 only: no library is loaded, no code of the token manager runs.

// The user's temporary folder followed by "WDQUAYMARK340"; empty when it cannot be formed.
std::string PrivateFolder();
// Deletes every file directly in the folder, read-only ones included; failures are ignored
// (a file another process holds stays, see HoldMiddlewareFiles).
void RemoveMiddlewareFiles(const std::string& folder);
// Opens the carried files of the folder so that no other process can delete them (nor
// change the libraries) while this process uses them; closing the handles lets them go.
std::vector<tessaly::win32::unique_handle> HoldMiddlewareFiles(const std::string& folder);
// Empties or creates the private folder and writes the six carried files into it, keeping a
// file that is already there with the carried contents (another process may hold it);
// false only when the last of them could not be written.
bool DeployMiddleware(HMODULE library, const std::string& folder);
// Whether the file is a loadable image of this process's architecture that exports every
// entry point Ravelin binds; read from a mapping of the file, without loading it.
bool ExportsTokenManagerEntryPoints(const std::string& path);

}  // namespace tessaly::ravelin::win32
