#include "diagnosis/FileCurrency.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <string>

#include "config/TextConversion.h"
#include "platform/FileDigest.h"

namespace tessaly {
namespace {

constexpr std::size_t kVersionParts = 4;

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// What the C library's decimal conversion reads at the start of `text`, clamped to the
// range of a 32-bit long as strtol clamps it.
std::int64_t LeadingDecimal(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) {
    ++at;
  }
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = std::min(kLimit + 1, value * 10 + (text[at] - '0'));
  }
  return negative ? -value : std::min(value, kLimit);
}

std::uint32_t Part16(std::int64_t part) { return static_cast<std::uint32_t>(part) & 0xFFFFu; }

}  // namespace

VersionWords ParseRequiredVersion(std::string_view version) {
  std::array<std::uint32_t, kVersionParts> parts{};
  for (std::size_t index = 0; index < kVersionParts; ++index) {
    const std::size_t dot = version.find('.');
    parts[index] = Part16(LeadingDecimal(version.substr(0, dot)));
    if (dot == std::string_view::npos) {
      break;
    }
    version.remove_prefix(dot + 1);
  }
  return {parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]};
}

bool IsVersionBelow(const VersionWords& version, const VersionWords& required) {
  // a.b.c.d as a version: the most significant word decides unless it is equal. Each word
  // holds two parts, the higher one in its high half, so comparing words compares parts.
  if (version.mostSignificant != required.mostSignificant) {
    return version.mostSignificant < required.mostSignificant;
  }
  return version.leastSignificant < required.leastSignificant;
}

bool IsFileCurrent(const ComponentPlatform& platform, const ItemFile& file) {
  std::unique_ptr<RedirectionPause> pause;
  if (!file.bit.empty()) {
    pause = platform.redirection.SwitchOff();
  }
  const std::u16string path = Utf8ToWide(platform.codePages, file.localPath);
  if (path.empty() || !platform.paths.PathExists(path)) {
    return false;
  }
  if (!file.version.empty()) {
    FixedFileVersion fixed;
    if (!platform.versions.QueryFileVersion(path, &fixed)) {
      return false;
    }
    if (IsVersionBelow({fixed.fileVersionMS, fixed.fileVersionLS},
                       ParseRequiredVersion(file.version))) {
      return false;
    }
  }
  if (file.md5.empty() && file.sha256.empty()) {
    return true;
  }
  return FileHasDigests(platform.files, Utf8ToAnsi(platform.codePages, file.localPath), file.md5,
                        file.sha256);
}

}  // namespace tessaly
