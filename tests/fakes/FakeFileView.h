#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/FileSystemRedirection.h"
#include "platform/FileVersion.h"
#include "platform/PathProbe.h"

namespace tessaly {

// The file system as a 32-bit process on 64-bit Windows sees it, for presence and version
// tests: some files are only visible while the redirection is switched off (the native
// system32). Paths compare exactly.
class FakeFileView final : public PathProbe, public FileSystemRedirection, public FileVersionReader {
 public:
  struct Entry {
    bool nativeOnly = false;                    // only seen with the redirection off
    std::optional<std::uint32_t> versionMS{};  // with versionLS: the version resource
    std::uint32_t versionLS = 0;
  };

  std::map<std::u16string, Entry> entries;
  // False: a system without the redirection switch (32-bit Windows).
  bool hasSwitch = true;

  bool PathExists(const std::u16string& path) const override;
  std::unique_ptr<RedirectionPause> SwitchOff() const override;
  bool QueryFileVersion(const std::u16string& path, FixedFileVersion* out) const override;

  bool RedirectionIsOff() const { return *pausesLive_ > 0; }
  int pausesMade() const { return *pausesMade_; }

 private:
  const Entry* Visible(const std::u16string& path) const;

  std::shared_ptr<int> pausesLive_ = std::make_shared<int>(0);
  std::shared_ptr<int> pausesMade_ = std::make_shared<int>(0);
};

}  // namespace tessaly
