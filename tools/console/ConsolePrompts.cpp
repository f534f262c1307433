#include "tools/console/ConsolePrompts.h"

#include "platform/portable/Utf8Codec.h"

namespace tessaly {

void ConsolePrompts::WriteLine(const std::string& label, std::u16string_view text) {
  *out_ << label + EncodeUtf8(text) + "\n";
  out_->flush();
}

YesNoAnswer ConsolePrompts::AskYesNo(unsigned contentId, unsigned instructionId, unsigned yesId,
                                     unsigned noId) {
  std::u16string question = loadString_(instructionId);
  const std::u16string content = loadString_(contentId);
  if (!question.empty() && !content.empty()) {
    question += u" ";
  }
  if (!answer_) {
    WriteLine("询问(无人回答): ", question + content);
    return YesNoAnswer::Neither;
  }
  const std::u16string choice = loadString_(*answer_ == YesNoAnswer::Yes ? yesId : noId);
  WriteLine("询问(回答“" + EncodeUtf8(choice) + "”): ", question + content);
  return *answer_;
}

int ConsolePrompts::ShowInfo(unsigned textId) {
  WriteLine("提示: ", loadString_(textId));
  return kConsoleInfoAnswer;
}

int ConsolePrompts::ShowInfoText(std::u16string_view text) {
  WriteLine("提示: ", text);
  return kConsoleInfoAnswer;
}

void ConsolePrompts::ShowWarning(std::u16string_view caption, std::u16string_view text) {
  WriteLine("警告: ", std::u16string(caption) + u": " + std::u16string(text));
}

}  // namespace tessaly
