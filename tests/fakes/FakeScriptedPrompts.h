#pragma once

#include <deque>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Prompts.h"

namespace tessaly {

// One prompt as the code under test asked for it. AskYesNo fills the four ids, ShowInfo
// only `contentId`, ShowInfoText only `text`, ShowWarning `caption` and `text`.
struct PromptCall {
  enum class Kind { AskYesNo, ShowInfo, ShowInfoText, ShowWarning };
  Kind kind = Kind::AskYesNo;
  unsigned contentId = 0;
  unsigned instructionId = 0;
  unsigned yesId = 0;
  unsigned noId = 0;
  std::u16string caption{};
  std::u16string text{};
  bool operator==(const PromptCall&) const = default;

  static PromptCall YesNo(unsigned content, unsigned instruction, unsigned yes, unsigned no);
  static PromptCall Info(unsigned text);
  static PromptCall InfoText(std::u16string_view text);
  static PromptCall Warning(std::u16string_view caption, std::u16string_view text);
};

void PrintTo(const PromptCall& call, std::ostream* out);

// Prompts answered from a script, recording every call so a test can compare the whole
// transcript. Like the real boxes it may be called from worker threads. When the script
// runs out, AskYesNo answers Neither and the information boxes 0, as a box that cannot be
// shown does. Both information boxes take their results from one queue.
class FakeScriptedPrompts final : public Prompts {
 public:
  static constexpr int kOk = 1;  // the result of a box closed with its OK button

  void QueueAnswer(YesNoAnswer answer);
  void QueueInfoResult(int result);
  std::vector<PromptCall> Calls() const;

  YesNoAnswer AskYesNo(unsigned contentId, unsigned instructionId, unsigned yesId,
                       unsigned noId) override;
  int ShowInfo(unsigned textId) override;
  int ShowInfoText(std::u16string_view text) override;
  void ShowWarning(std::u16string_view caption, std::u16string_view text) override;

 private:
  mutable std::mutex mutex_;
  std::deque<YesNoAnswer> answers_;
  std::deque<int> infoResults_;
  std::vector<PromptCall> calls_;
};

}  // namespace tessaly
