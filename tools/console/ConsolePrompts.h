#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "platform/Prompts.h"

namespace tessaly {

// Prompts for an unattended console run: notices become lines of the report, and a question
// is answered by nobody (Neither), so the run never consents to anything on the user's
// behalf and never waits for a click.
class ConsolePrompts final : public Prompts {
 public:
  using StringLoader = std::function<std::u16string(unsigned id)>;

  ConsolePrompts(std::ostream& out, StringLoader loadString)
      : out_(&out), loadString_(std::move(loadString)) {}

  YesNoAnswer AskYesNo(unsigned contentId, unsigned instructionId, unsigned yesId,
                       unsigned noId) override;
  int ShowInfo(unsigned textId) override;
  int ShowInfoText(std::u16string_view text) override;
  void ShowWarning(std::u16string_view caption, std::u16string_view text) override;

 private:
  void WriteLine(std::string_view label, std::u16string_view text);

  std::ostream* out_;
  StringLoader loadString_;
};

// What ShowInfo answers: the OK button of a message box.
inline constexpr int kConsoleInfoAnswer = 1;

}  // namespace tessaly
