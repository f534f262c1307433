#pragma once

#include "platform/CodePages.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"

namespace tessaly {

// Stands in for Windows when the administrators' tool runs on another system. It cannot
// know a customer's folders, so it reports them symbolically: the temporary folder is
// "%TEMP%\" and environment references stay as written. Every code page is UTF-8.
// The Windows version to judge for is the tool's own option.
class Utf8OnlyCodePages final : public CodePages {
 public:
  std::u16string ToWide(unsigned codePage, std::string_view bytes) const override;
  std::string FromWide(unsigned codePage, std::u16string_view text) const override;
};

class NominalFileSystem final : public FileSystem {
 public:
  std::string TempDirectoryAnsi() const override { return "%TEMP%\\"; }
  bool CreateDirectoryAnsi(const std::string&) const override { return true; }
};

class NominalEnvironment final : public Environment {
 public:
  std::string ExpandAnsi(std::string_view text) const override { return std::string(text); }
};

}  // namespace tessaly
