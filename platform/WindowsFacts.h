#pragma once

#include <string>

#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "platform/SystemFacts.h"

namespace tessaly {

// The platform decisions and display texts built from the running Windows' facts. Nothing
// is cached: each call asks again.

// 64-bit Windows of major version 6 or later; also true when the version query failed.
bool IsNative64BitWindows(const WindowsVersionFacts& facts);
// Major version above 5; false when the version query failed.
bool IsVistaOrLater(const WindowsVersionFacts& facts);
// "Microsoft Windows 7 旗舰版 SP1 (build 7601) 64位" and the like.
std::u16string DescribeWindows(const WindowsVersionFacts& facts);
// " SP1", " SP2", " SP3" or "" from the registry's CSDVersion (native view, opened with
// full access: empty for a user without administrative rights).
std::u16string ServicePackSuffix(const Registry& registry);
// The registry's product name, with the service-pack suffix on Windows XP; advises an
// upgrade (a warning box, on every call) on XP SP1 and SP2. Empty when unreadable.
std::u16string ProductNameWithServicePack(const Registry& registry, Prompts& prompts);
// The text of diagnosis step 1: the product name on XP and Windows 10, else DescribeWindows.
std::u16string OsStepText(const SystemFacts& system, const Registry& registry, Prompts& prompts);
// The installed Internet Explorer's version text ("svcVersion", else "Version", machine-wide
// values only), "0" when neither can be read.
std::u16string InternetExplorerVersion(const Registry& registry);

}  // namespace tessaly
