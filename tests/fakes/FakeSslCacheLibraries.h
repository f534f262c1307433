#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/SslCacheFunctions.h"

namespace tessaly {

// The SSL cache functions with scripted presence and answers. The transcript records
// "load", each call ("SslEmptyCacheW", "IncrementUrlCacheHeaderData <index>") and
// "release" when the loaded functions go away.
class FakeSslCacheLibraries final : public SslCacheLibraries {
 public:
  struct Script {
    bool emptyCacheMissing = false;
    bool emptyCacheFails = false;
    bool incrementMissing = false;
    bool incrementFails = false;
    std::vector<std::string> transcript{};
  };

  std::unique_ptr<SslCacheFunctions> Load() const override;
  Script& script() const { return *script_; }

 private:
  std::shared_ptr<Script> script_ = std::make_shared<Script>();
};

}  // namespace tessaly
