#include "tests/fakes/RecordingPageSink.h"

#include <utility>
#include <variant>

#include "platform/portable/Utf8Codec.h"

namespace tessaly {

PageCall PageCall::SetState(std::int32_t category, std::int32_t item, std::int32_t value) {
  return {"setState", {category, item, value}};
}

PageCall PageCall::SetState(std::int32_t category, std::int32_t item, std::u16string_view text) {
  return {"setState", {category, item, std::u16string(text)}};
}

PageCall PageCall::ClearState(std::int32_t category, std::int32_t item) {
  return {"clearState", {category, item}};
}

PageCall PageCall::SetTab(std::u16string_view group, std::int32_t tab, std::int32_t count) {
  return {"setTab", {std::u16string(group), tab, count}};
}

PageCall PageCall::ShowDivc(std::int32_t flag) { return {"ShowDivc", {flag}}; }

PageCall PageCall::SetUserTypeUI() { return {"setUserTypeUI", {}}; }

void PrintTo(const PageCall& call, std::ostream* out) {
  *out << call.function << "(";
  const char* separator = "";
  for (const PageValue& argument : call.args) {
    *out << separator;
    separator = ", ";
    if (const auto* number = std::get_if<std::int32_t>(&argument)) {
      *out << *number;
    } else {
      *out << '"' << EncodeUtf8(std::get<std::u16string>(argument)) << '"';
    }
  }
  *out << ")";
}

std::vector<PageCall> RecordingPageSink::Take() { return std::exchange(calls_, {}); }

void RecordingPageSink::setState(std::int32_t category, std::int32_t item,
                                 const PageValue& value) {
  calls_.push_back({"setState", {category, item, value}});
}

void RecordingPageSink::clearState(std::int32_t category, std::int32_t item) {
  calls_.push_back(PageCall::ClearState(category, item));
}

void RecordingPageSink::setTab(std::u16string_view group, std::int32_t tab, std::int32_t count) {
  calls_.push_back(PageCall::SetTab(group, tab, count));
}

void RecordingPageSink::ShowDivc(std::int32_t flag) { calls_.push_back(PageCall::ShowDivc(flag)); }

void RecordingPageSink::setUserTypeUI() { calls_.push_back(PageCall::SetUserTypeUI()); }

}  // namespace tessaly
