#include "tests/fakes/FakeScriptedPrompts.h"

#include "platform/portable/Utf8Codec.h"

namespace tessaly {
namespace {

template <typename T>
T TakeFront(std::deque<T>& queue, T whenEmpty) {
  if (queue.empty()) {
    return whenEmpty;
  }
  T front = queue.front();
  queue.pop_front();
  return front;
}

}  // namespace

PromptCall PromptCall::YesNo(unsigned content, unsigned instruction, unsigned yes, unsigned no) {
  return {Kind::AskYesNo, content, instruction, yes, no, {}, {}};
}

PromptCall PromptCall::Info(unsigned text) { return {Kind::ShowInfo, text, 0, 0, 0, {}, {}}; }

PromptCall PromptCall::InfoText(std::u16string_view text) {
  return {Kind::ShowInfoText, 0, 0, 0, 0, {}, std::u16string(text)};
}

PromptCall PromptCall::Warning(std::u16string_view caption, std::u16string_view text) {
  return {Kind::ShowWarning, 0, 0, 0, 0, std::u16string(caption), std::u16string(text)};
}

void PrintTo(const PromptCall& call, std::ostream* out) {
  switch (call.kind) {
    case PromptCall::Kind::AskYesNo:
      *out << "AskYesNo(" << call.contentId << ", " << call.instructionId << ", " << call.yesId
           << ", " << call.noId << ")";
      break;
    case PromptCall::Kind::ShowInfo:
      *out << "ShowInfo(" << call.contentId << ")";
      break;
    case PromptCall::Kind::ShowInfoText:
      *out << "ShowInfoText(\"" << EncodeUtf8(call.text) << "\")";
      break;
    case PromptCall::Kind::ShowWarning:
      *out << "ShowWarning(\"" << EncodeUtf8(call.caption) << "\", \"" << EncodeUtf8(call.text)
           << "\")";
      break;
  }
}

void FakeScriptedPrompts::QueueAnswer(YesNoAnswer answer) {
  const std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

void FakeScriptedPrompts::QueueInfoResult(int result) {
  const std::lock_guard lock(mutex_);
  infoResults_.push_back(result);
}

std::vector<PromptCall> FakeScriptedPrompts::Calls() const {
  const std::lock_guard lock(mutex_);
  return calls_;
}

YesNoAnswer FakeScriptedPrompts::AskYesNo(unsigned contentId, unsigned instructionId,
                                          unsigned yesId, unsigned noId) {
  const std::lock_guard lock(mutex_);
  calls_.push_back(PromptCall::YesNo(contentId, instructionId, yesId, noId));
  return TakeFront(answers_, YesNoAnswer::Neither);
}

int FakeScriptedPrompts::ShowInfo(unsigned textId) {
  const std::lock_guard lock(mutex_);
  calls_.push_back(PromptCall::Info(textId));
  return TakeFront(infoResults_, 0);
}

int FakeScriptedPrompts::ShowInfoText(std::u16string_view text) {
  const std::lock_guard lock(mutex_);
  calls_.push_back(PromptCall::InfoText(text));
  return TakeFront(infoResults_, 0);
}

void FakeScriptedPrompts::ShowWarning(std::u16string_view caption, std::u16string_view text) {
  const std::lock_guard lock(mutex_);
  calls_.push_back(PromptCall::Warning(caption, text));
}

}  // namespace tessaly
