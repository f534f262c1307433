#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "platform/Prompts.h"

namespace tessaly {

// Prompts for an unattended console run: notices become lines of the report, and a question
// is answered as the console was told (the choice's text goes into the report), or else by
// nobody (Neither), so the run never waits for a click. The questions come from the install
// worker's thread: each line is written with one call, so lines never mix.
class ConsolePrompts final : public Prompts {
 public:
  using StringLoader = std::function<std::u16string(unsigned id)>;

  ConsolePrompts(std::ostream& out, StringLoader loadString,
                 std::optional<YesNoAnswer> answer = std::nullopt)
      : out_(&out), loadString_(std::move(loadString)), answer_(answer) {}

  YesNoAnswer AskYesNo(unsigned contentId, unsigned instructionId, unsigned yesId,
                       unsigned noId) override;
  int ShowInfo(unsigned textId) override;
  int ShowInfoText(std::u16string_view text) override;
  void ShowWarning(std::u16string_view caption, std::u16string_view text) override;

 private:
  void WriteLine(const std::string& label, std::u16string_view text);

  std::ostream* out_;
  StringLoader loadString_;
  std::optional<YesNoAnswer> answer_;
};

// What ShowInfo answers: the OK button of a message box.
inline constexpr int kConsoleInfoAnswer = 1;

}  // namespace tessaly
