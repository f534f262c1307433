#pragma once

#include <cstddef>
#include <string_view>

#include "config/CheckConfig.h"
#include "platform/WideEnvironment.h"
#include "platform/WholeFiles.h"

namespace tessaly {

// Where Windows keeps the hosts file. A 32-bit process on 64-bit Windows reaches the real
// one through this path: drivers\etc is exempt from the file-system redirection.
inline constexpr std::u16string_view kHostsFilePath = u"%windir%\\system32\\drivers\\etc\\hosts";

// Real hosts files hold at most some thousand lines; a larger file is not read into the
// (32-bit) process but counts as unreadable.
inline constexpr std::size_t kMaxHostsFileBytes = 64 * 1024 * 1024;

// Check item 3: no line of the hosts file redirects a host of the "host" group (see
// HostRedirectionPattern). Without repair it only measures. With repair it removes every
// redirecting line and writes the file back with CR LF line breaks, even when nothing was
// removed; the new content replaces the old at once, so a failure leaves the old file.
//
// No "host" group passes; entries with an empty text name no host and are left out. A
// missing hosts file holds no redirection (a repair creates it). A file that exists but
// cannot be read, is too large, or whose path cannot be made, fails the check, and its
// repair fails without writing: it is never replaced by an empty file.
//
// Writes `hostsOk` and answers the same.
bool CheckHosts(CheckConfig& config, const WideEnvironment& environment, const WholeFiles& files,
                bool repair);

}  // namespace tessaly
