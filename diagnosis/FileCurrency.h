#pragma once

#include <cstdint>
#include <string_view>

#include "config/CheckConfig.h"
#include "diagnosis/ComponentPlatform.h"

namespace tessaly {

// A required version as the two 32-bit words of a version resource: "a.b.c.d" gives
// (a × 65536 + b, c × 65536 + d). Missing parts are 0; each part is what the C library's
// decimal conversion reads where it starts (leading blanks, a sign, digits; nothing gives 0),
// truncated to 16 bits.
struct VersionWords {
  std::uint32_t mostSignificant = 0;
  std::uint32_t leastSignificant = 0;
  bool operator==(const VersionWords&) const = default;
};
VersionWords ParseRequiredVersion(std::string_view version);

// Whether `version` comes before `required`, the four parts a.b.c.d compared in order
// (2.0.0.0 is not below 1.0.5.0).
bool IsVersionBelow(const VersionWords& version, const VersionWords& required);

// Whether the file at its local path is there and current: its version not below the
// required one, and its MD5 equal to the configured digest, where the record names a
// version or a digest.
// With a `bit`, the whole test sees the file system without redirection.
bool IsFileCurrent(const ComponentPlatform& platform, const ItemFile& file);

}  // namespace tessaly
