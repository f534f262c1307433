#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "diagnosis/PageSink.h"

namespace tessaly {

// A page that writes every call as one line of JSON and flushes it, for a console front
// end that shows the diagnosis without a browser, e.g.
//   {"fn":"setState","args":[0,2,1002]}
//   {"fn":"setState","args":[1,8,"8.0"]}
//   {"fn":"setUserTypeUI","args":[]}
// Each call is then handed on to `next` when there is one, so the lines can shadow a real
// page.
class JsonLinesPageSink final : public PageSink {
 public:
  explicit JsonLinesPageSink(std::ostream& out, PageSink* next = nullptr)
      : out_(&out), next_(next) {}

  void setState(std::int32_t category, std::int32_t item, const PageValue& value) override;
  void clearState(std::int32_t category, std::int32_t item) override;
  void setTab(std::u16string_view group, std::int32_t tab, std::int32_t count) override;
  void ShowDivc(std::int32_t flag) override;
  void setUserTypeUI() override;

 private:
  void WriteLine(std::string_view function, std::string_view arguments);

  std::ostream* out_;
  PageSink* next_;
};

// `text` as a JSON string, quotes included, in UTF-8. A lone surrogate, which UTF-8 cannot
// carry, is written as its \u escape so that the line stays valid and loses nothing.
std::string JsonString(std::u16string_view text);

}  // namespace tessaly
