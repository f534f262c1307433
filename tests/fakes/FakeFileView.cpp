#include "tests/fakes/FakeFileView.h"

namespace tessaly {
namespace {

class FakePause final : public RedirectionPause {
 public:
  explicit FakePause(std::shared_ptr<int> live) : live_(std::move(live)) { ++*live_; }
  ~FakePause() override { --*live_; }

 private:
  std::shared_ptr<int> live_;
};

}  // namespace

const FakeFileView::Entry* FakeFileView::Visible(const std::u16string& path) const {
  const auto found = entries.find(path);
  if (found == entries.end() || (found->second.nativeOnly && !RedirectionIsOff())) {
    return nullptr;
  }
  return &found->second;
}

bool FakeFileView::PathExists(const std::u16string& path) const { return Visible(path) != nullptr; }

std::unique_ptr<RedirectionPause> FakeFileView::SwitchOff() const {
  if (!hasSwitch) {
    return nullptr;
  }
  ++*pausesMade_;
  return std::make_unique<FakePause>(pausesLive_);
}

bool FakeFileView::QueryFileVersion(const std::u16string& path, FixedFileVersion* out) const {
  const Entry* entry = Visible(path);
  if (entry == nullptr || !entry->versionMS) {
    return false;
  }
  if (out != nullptr) {
    *out = FixedFileVersion{.signature = kFixedFileVersionSignature,
                            .fileVersionMS = *entry->versionMS,
                            .fileVersionLS = entry->versionLS};
  }
  return true;
}

}  // namespace tessaly
