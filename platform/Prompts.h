#pragma once

#include <string_view>

namespace tessaly {

enum class YesNoAnswer { Yes, No, Neither };

// Questions and notices shown to the user. Texts given by id come from the program's
// string table (0 stands for an empty text); the caption of every box is the program
// title. Each call blocks only its calling thread until the user has answered.
class Prompts {
 public:
  virtual ~Prompts() = default;
  // A question with two labelled choices. Neither when the user closes it without
  // choosing or it cannot be shown.
  virtual YesNoAnswer AskYesNo(unsigned contentId, unsigned instructionId, unsigned yesId,
                               unsigned noId) = 0;
  // An information box owned by the main window; answers the box's result.
  virtual int ShowInfo(unsigned textId) = 0;
  // The same box with a literal text.
  virtual int ShowInfoText(std::u16string_view text) = 0;
  // A modal warning with an OK button, no owner, and literal texts.
  virtual void ShowWarning(std::u16string_view caption, std::u16string_view text) = 0;
};

}  // namespace tessaly
