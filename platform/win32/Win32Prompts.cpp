// Task dialogs exist from Vista on. Their declarations are needed in this file only; the
// function itself is looked up at run time, so the program still starts on XP.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600

#include "platform/win32/Win32Prompts.h"

#include <commctrl.h>

#include <optional>

#include "platform/win32/SystemLibrary.h"
#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

// Hyperlinks enabled, command links, footer area expanded.
constexpr TASKDIALOG_FLAGS kQuestionFlags =
    TDF_ENABLE_HYPERLINKS | TDF_USE_COMMAND_LINKS | TDF_EXPAND_FOOTER_AREA;
static_assert(kQuestionFlags == 0x51);

using TaskDialogIndirectFunction = decltype(&TaskDialogIndirect);

YesNoAnswer AnswerOf(int result) {
  if (result == IDYES) {
    return YesNoAnswer::Yes;
  }
  return result == IDNO ? YesNoAnswer::No : YesNoAnswer::Neither;
}

struct QuestionTexts {
  std::u16string title{};
  std::u16string content{};
  std::u16string instruction{};
  std::u16string yes{};
  std::u16string no{};
};

// The task dialog's result, or nothing where comctl32 has no task dialogs.
std::optional<int> ShowTaskDialog(const QuestionTexts& texts, HINSTANCE module) {
  // The program imports the common controls, so the version its manifest asks for (6.0,
  // the one with task dialogs) is loaded already and is taken as it is; only a host without
  // it loads the system folder's own copy.
  unique_hmodule loaded;
  HMODULE comctl32 = GetModuleHandleW(L"comctl32.dll");
  if (comctl32 == nullptr) {
    loaded = LoadSystemLibrary(L"comctl32.dll");
    comctl32 = loaded.get();
  }
  if (comctl32 == nullptr) {
    return std::nullopt;
  }
  const auto taskDialogIndirect = reinterpret_cast<TaskDialogIndirectFunction>(
      reinterpret_cast<void*>(GetProcAddress(comctl32, "TaskDialogIndirect")));
  if (taskDialogIndirect == nullptr) {
    return std::nullopt;
  }
  const TASKDIALOG_BUTTON choices[] = {{IDYES, AsWide(texts.yes)}, {IDNO, AsWide(texts.no)}};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = GetActiveWindow();
  config.hInstance = module;
  config.dwFlags = kQuestionFlags;
  config.pszWindowTitle = AsWide(texts.title);
  config.pszMainInstruction = AsWide(texts.instruction);
  config.pszContent = AsWide(texts.content);
  config.cButtons = 2;
  config.pButtons = choices;
  int result = 0;
  if (FAILED(taskDialogIndirect(&config, &result, nullptr, nullptr))) {
    return 0;  // the dialog exists but could not be shown: neither choice was made
  }
  return result;
}

}  // namespace

std::u16string LoadProgramString(HINSTANCE module, unsigned id) {
  if (id == 0) {
    return {};
  }
  // With no buffer, LoadStringW points into the resource itself, so no text is ever cut
  // to a buffer's size.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) {
    return {};
  }
  return std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length));
}

Win32Prompts::OpenPrompt::OpenPrompt(Win32Prompts& prompts, int stopButton) : prompts_(prompts) {
  const std::lock_guard<std::mutex> guard(prompts_.openLock_);
  dismissed_ = prompts_.dismissing_;
  if (!dismissed_) {
    prompts_.openPrompts_[GetCurrentThreadId()] = stopButton;
  }
}

Win32Prompts::OpenPrompt::~OpenPrompt() {
  const std::lock_guard<std::mutex> guard(prompts_.openLock_);
  prompts_.openPrompts_.erase(GetCurrentThreadId());
}

namespace {

struct StopChoice {
  int button;
};

// Presses the stop choice of each dialog (message box or task dialog) of the thread, as a
// click on that button would. Posted, so it takes effect once the dialog runs its loop,
// even when it has only just been created.
BOOL CALLBACK PressStopChoice(HWND window, LPARAM choice) {
  wchar_t className[8] = {};
  if (GetClassNameW(window, className, 8) > 0 && lstrcmpW(className, L"#32770") == 0) {
    const int button = reinterpret_cast<const StopChoice*>(choice)->button;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  }
  return TRUE;
}

}  // namespace

void Win32Prompts::DismissAll() {
  // Repeated briefly: a prompt may be on its way to the screen when the program ends.
  constexpr int kRounds = 10;
  constexpr DWORD kRoundMs = 50;
  {
    const std::lock_guard<std::mutex> guard(openLock_);
    dismissing_ = true;
  }
  for (int round = 0; round < kRounds; ++round) {
    std::map<DWORD, int> open;
    {
      const std::lock_guard<std::mutex> guard(openLock_);
      open = openPrompts_;
    }
    if (open.empty()) {
      return;
    }
    for (const auto& [thread, button] : open) {
      StopChoice choice{button};
      EnumThreadWindows(thread, PressStopChoice, reinterpret_cast<LPARAM>(&choice));
    }
    Sleep(kRoundMs);
  }
}

YesNoAnswer Win32Prompts::AskYesNo(unsigned contentId, unsigned instructionId, unsigned yesId,
                                   unsigned noId) {
  const OpenPrompt prompt(*this, IDNO);
  if (prompt.dismissed()) {
    return YesNoAnswer::No;
  }
  const QuestionTexts texts{LoadProgramString(module_, titleId_),
                            LoadProgramString(module_, contentId),
                            LoadProgramString(module_, instructionId),
                            LoadProgramString(module_, yesId), LoadProgramString(module_, noId)};
  std::optional<int> result = ShowTaskDialog(texts, module_);
  if (!result) {
    result = MessageBoxW(mainWindow_.load(), AsWide(texts.content), AsWide(texts.title), MB_YESNO);
  }
  return AnswerOf(*result);
}

int Win32Prompts::ShowInfo(unsigned textId) {
  return ShowInfoText(LoadProgramString(module_, textId));
}

int Win32Prompts::ShowInfoText(std::u16string_view text) {
  const OpenPrompt prompt(*this, IDOK);
  if (prompt.dismissed()) {
    return IDOK;
  }
  const std::u16string title = LoadProgramString(module_, titleId_);
  const std::u16string body(text);
  return MessageBoxW(mainWindow_.load(), AsWide(body), AsWide(title), MB_OK | MB_ICONINFORMATION);
}

void Win32Prompts::ShowWarning(std::u16string_view caption, std::u16string_view text) {
  const OpenPrompt prompt(*this, IDOK);
  if (prompt.dismissed()) {
    return;
  }
  const std::u16string captionText(caption);
  const std::u16string bodyText(text);
  MessageBoxW(nullptr, AsWide(bodyText), AsWide(captionText), MB_OK);
}

}  // namespace tessaly::win32
