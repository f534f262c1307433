#pragma once

#include <cstdint>
#include <functional>

#include "diagnosis/PageSink.h"

namespace tessaly {

// Hands every page call on to `next` and reports each overall verdict the program sends:
// the diagnosis and every repair run end with one, so it marks the end of a run.
class VerdictWatcher final : public PageSink {
 public:
  using Listener = std::function<void(std::int32_t verdict)>;

  VerdictWatcher(PageSink& next, Listener onVerdict)
      : next_(&next), onVerdict_(std::move(onVerdict)) {}

  void setState(std::int32_t category, std::int32_t item, const PageValue& value) override;
  void clearState(std::int32_t category, std::int32_t item) override {
    next_->clearState(category, item);
  }
  void setTab(std::u16string_view group, std::int32_t tab, std::int32_t count) override {
    next_->setTab(group, tab, count);
  }
  void ShowDivc(std::int32_t flag) override { next_->ShowDivc(flag); }
  void setUserTypeUI() override { next_->setUserTypeUI(); }

 private:
  PageSink* next_;
  Listener onVerdict_;
};

}  // namespace tessaly
