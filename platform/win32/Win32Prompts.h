#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "platform/Prompts.h"

namespace tessaly::win32 {

// The text of string `id` in the string table of `module`; empty for id 0 and for an id
// the table does not hold.
std::u16string LoadProgramString(HINSTANCE module, unsigned id);

// Task dialogs where comctl32 offers them, message boxes otherwise. The texts come from
// the string table of `module`; every caption (apart from the literal ones of
// ShowWarning) is the program title, string `titleId`.
class Win32Prompts final : public Prompts {
 public:
  Win32Prompts(HINSTANCE module, unsigned titleId) : module_(module), titleId_(titleId) {}

  // The main window owns the information boxes. The shell sets it once the window
  // exists; prompts may already run on other threads then.
  void SetMainWindow(HWND window) { mainWindow_.store(window); }

  YesNoAnswer AskYesNo(unsigned contentId, unsigned instructionId, unsigned yesId,
                       unsigned noId) override;
  int ShowInfo(unsigned textId) override;
  int ShowInfoText(std::u16string_view text) override;
  void ShowWarning(std::u16string_view caption, std::u16string_view text) override;

  // The program is ending: every prompt open on any thread is answered with its "stop"
  // choice (a question with its second choice, a notice with its OK), and every later one
  // answers that at once without showing anything.
  void DismissAll();

 private:
  // Notes the calling thread as showing a prompt whose stop choice is `stopButton` while
  // it lives; `dismissed` when the program is ending already and nothing is to be shown.
  class OpenPrompt {
   public:
    OpenPrompt(Win32Prompts& prompts, int stopButton);
    ~OpenPrompt();
    OpenPrompt(const OpenPrompt&) = delete;
    OpenPrompt& operator=(const OpenPrompt&) = delete;
    bool dismissed() const { return dismissed_; }

   private:
    Win32Prompts& prompts_;
    bool dismissed_ = false;
  };

  HINSTANCE module_;
  unsigned titleId_;
  std::atomic<HWND> mainWindow_{nullptr};
  std::mutex openLock_;
  bool dismissing_ = false;
  std::map<DWORD, int> openPrompts_;  // thread id -> the button that stops its prompt
};

}  // namespace tessaly::win32
