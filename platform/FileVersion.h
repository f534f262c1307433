#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

// The fixed part of a file's version resource, member for member as Windows lays it out
// (VS_FIXEDFILEINFO, 52 bytes). Callers compare fileVersionMS and fileVersionLS: the high
// and low words of each hold the four parts of a dotted version "a.b.c.d".
struct FixedFileVersion {
  std::uint32_t signature = 0;  // 0xFEEF04BD
  std::uint32_t structVersion = 0;
  std::uint32_t fileVersionMS = 0;
  std::uint32_t fileVersionLS = 0;
  std::uint32_t productVersionMS = 0;
  std::uint32_t productVersionLS = 0;
  std::uint32_t fileFlagsMask = 0;
  std::uint32_t fileFlags = 0;
  std::uint32_t fileOS = 0;
  std::uint32_t fileType = 0;
  std::uint32_t fileSubtype = 0;
  std::uint32_t fileDateMS = 0;
  std::uint32_t fileDateLS = 0;
};
static_assert(sizeof(FixedFileVersion) == 52);

inline constexpr std::uint32_t kFixedFileVersionSignature = 0xFEEF04BD;

// Reading version resources of files (executables and libraries).
class FileVersionReader {
 public:
  virtual ~FileVersionReader() = default;
  // True when the file has a version resource with a complete fixed block, copied to `out`
  // when given. False for a missing file, a file without a version resource, or a resource
  // whose fixed block is cut short or unsigned.
  virtual bool QueryFileVersion(const std::u16string& path, FixedFileVersion* out) const = 0;
};

}  // namespace tessaly
