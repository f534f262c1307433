#include "tests/fakes/FakeSslCacheLibraries.h"

#include <utility>

namespace tessaly {
namespace {

class FakeSslCacheFunctions final : public SslCacheFunctions {
 public:
  explicit FakeSslCacheFunctions(std::shared_ptr<FakeSslCacheLibraries::Script> script)
      : script_(std::move(script)) {
    script_->transcript.push_back("load");
  }
  ~FakeSslCacheFunctions() override { script_->transcript.push_back("release"); }
  FakeSslCacheFunctions(const FakeSslCacheFunctions&) = delete;
  FakeSslCacheFunctions& operator=(const FakeSslCacheFunctions&) = delete;

  std::optional<bool> EmptySslCache() override {
    if (script_->emptyCacheMissing) {
      return std::nullopt;
    }
    script_->transcript.push_back("SslEmptyCacheW");
    return !script_->emptyCacheFails;
  }

  std::optional<bool> IncrementUrlCacheHeaderData(std::uint32_t index) override {
    if (script_->incrementMissing) {
      return std::nullopt;
    }
    script_->transcript.push_back("IncrementUrlCacheHeaderData " + std::to_string(index));
    return !script_->incrementFails;
  }

 private:
  std::shared_ptr<FakeSslCacheLibraries::Script> script_;
};

}  // namespace

std::unique_ptr<SslCacheFunctions> FakeSslCacheLibraries::Load() const {
  return std::make_unique<FakeSslCacheFunctions>(script_);
}

}  // namespace tessaly
