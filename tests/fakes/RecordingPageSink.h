#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "diagnosis/PageSink.h"

namespace tessaly {

// One call of a page function, as the page would receive it.
struct PageCall {
  std::string function{};
  std::vector<PageValue> args{};
  bool operator==(const PageCall&) const = default;

  static PageCall SetState(std::int32_t category, std::int32_t item, std::int32_t value);
  static PageCall SetState(std::int32_t category, std::int32_t item, std::u16string_view text);
  static PageCall ClearState(std::int32_t category, std::int32_t item);
  static PageCall SetTab(std::u16string_view group, std::int32_t tab, std::int32_t count);
  static PageCall ShowDivc(std::int32_t flag);
  static PageCall SetUserTypeUI();
};

void PrintTo(const PageCall& call, std::ostream* out);

// A page that records every call, so a test can compare the whole transcript.
class RecordingPageSink final : public PageSink {
 public:
  const std::vector<PageCall>& Calls() const { return calls_; }
  // The calls so far, forgotten afterwards: for comparing a run in parts.
  std::vector<PageCall> Take();

  void setState(std::int32_t category, std::int32_t item, const PageValue& value) override;
  void clearState(std::int32_t category, std::int32_t item) override;
  void setTab(std::u16string_view group, std::int32_t tab, std::int32_t count) override;
  void ShowDivc(std::int32_t flag) override;
  void setUserTypeUI() override;

 private:
  std::vector<PageCall> calls_;
};

}  // namespace tessaly
