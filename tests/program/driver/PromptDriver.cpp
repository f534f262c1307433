// Answers the real program's prompts the way a user would, for the update tests: finds the
// box among the top-level dialogs by the texts it shows and presses one of its buttons.
//   prompt_driver answer yes|no   the update question: "立即更新程序" or "下次启动更新"
//   prompt_driver confirm         the mandatory update's information box: OK
//   prompt_driver main-window     waits for the main window (a dialog titled "Tessaly"
//                                 that shows no button)
//   prompt_driver close           closes the main window
//   prompt_driver poll            fires the main window's configuration poll (timer 1), as
//                                 the page's load does; Wine has no HTML engine to load it
//   prompt_driver question        waits for the update question, leaving it open
//   prompt_driver hide-main       hides the main window (found by its mark, as a second
//                                 start finds it), as the page's `exit` does
//   prompt_driver program-folder  prints %ProgramFiles% as a process of this build sees it
//                                 (for a 32-bit one on 64-bit Windows "Program Files (x86)")
//   prompt_driver setup TEXT      presses the setup's forward button (its caption "Tessaly 安装…")
//                                 once it shows TEXT and is enabled: "下一步(&N) >",
//                                 "安装(&I)", "完成(&F)"
//   prompt_driver setup-page TEXT waits for that page without pressing (to picture it)
// Waits up to 30 s; exit status 0 when done, 1 when nothing was found, 2 on bad usage.
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "resources/StringTable.h"
#include "shell/win32/MainWindowMark.h"

namespace {

constexpr DWORD kWaitMs = 30000;
constexpr DWORD kPollMs = 100;
constexpr WPARAM kPollTimer = 1;

std::u16string_view ProgramString(unsigned id) {
  for (const auto& entry : tessaly::kProgramStrings) {
    if (entry.id == id) {
      return entry.text;
    }
  }
  return {};
}

std::u16string TextOf(HWND window) {
  wchar_t buffer[512];
  const int length = GetWindowTextW(window, buffer, static_cast<int>(std::size(buffer)));
  return std::u16string(reinterpret_cast<const char16_t*>(buffer),
                        static_cast<std::size_t>(length > 0 ? length : 0));
}

bool IsButton(HWND window) {
  wchar_t name[32];
  return GetClassNameW(window, name, static_cast<int>(std::size(name))) > 0 &&
         lstrcmpiW(name, L"Button") == 0;
}

// A shown dialog box: the program's windows and the setup's are all of the dialog class.
bool IsShownDialog(HWND window) {
  wchar_t name[32];
  return IsWindowVisible(window) && GetClassNameW(window, name, 32) > 0 &&
         lstrcmpW(name, L"#32770") == 0;
}

struct Search {
  std::u16string_view shownText;  // a child showing this text; empty: no button at all
  HWND found = nullptr;
};

BOOL CALLBACK LookAtChild(HWND child, LPARAM parameter) {
  auto& search = *reinterpret_cast<Search*>(parameter);
  if (search.shownText.empty() ? IsButton(child) : TextOf(child) == search.shownText) {
    search.found = child;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK LookAtWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<Search*>(parameter);
  if (!IsShownDialog(window) || TextOf(window) != u"Tessaly") {
    return TRUE;
  }
  Search inside{search.shownText};
  EnumChildWindows(window, LookAtChild, reinterpret_cast<LPARAM>(&inside));
  if ((inside.found != nullptr) != search.shownText.empty()) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

// The "Tessaly" dialog that shows `text`, or with an empty text the one without buttons.
HWND WaitForDialog(std::u16string_view text) {
  for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
    Search search{text};
    EnumWindows(LookAtWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) {
      return search.found;
    }
    Sleep(kPollMs);
  }
  return nullptr;
}

int Press(std::u16string_view text, int button) {
  const HWND dialog = WaitForDialog(text);
  if (dialog == nullptr) {
    return 1;
  }
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  return 0;
}

int PrintProgramFolder() {
  wchar_t folder[1024];
  const DWORD length = ExpandEnvironmentStringsW(L"%ProgramFiles%", folder,
                                                 static_cast<DWORD>(std::size(folder)));
  if (length == 0 || length > std::size(folder) || folder[0] == L'%') {
    return 1;
  }
  char text[4096];
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, folder, -1, text, sizeof text, nullptr, nullptr);
  return bytes > 0 && std::printf("%s\n", text) > 0 ? 0 : 1;
}

// The setup's window: its caption is "Tessaly 安装" followed by the page's own part (a space
// on the pages with a header), so it is known by the caption's beginning.
BOOL CALLBACK LookForSetup(HWND window, LPARAM parameter) {
  constexpr std::u16string_view kSetupCaption = u"Tessaly 安装";
  if (IsShownDialog(window) && TextOf(window).starts_with(kSetupCaption)) {
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
  }
  return TRUE;
}

// The setup's forward button has the dialog id IDOK on every page; its text tells the page.
int AwaitSetupPage(std::u16string_view text, bool press) {
  for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
    HWND setup = nullptr;
    EnumWindows(LookForSetup, reinterpret_cast<LPARAM>(&setup));
    const HWND button = setup != nullptr ? GetDlgItem(setup, IDOK) : nullptr;
    if (button != nullptr && IsWindowEnabled(button) && TextOf(button) == text) {
      if (press) {
        PostMessageW(setup, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
      }
      return 0;
    }
    Sleep(kPollMs);
  }
  return 1;
}

}  // namespace

int wmain(int count, wchar_t** arguments) {
  const std::wstring_view command = count >= 2 ? arguments[1] : L"";
  const std::wstring_view choice = count >= 3 ? arguments[2] : L"";
  if (command == L"answer" && choice == L"yes") {
    return Press(ProgramString(tessaly::kStringUpdateNow), IDYES);
  }
  if (command == L"answer" && choice == L"no") {
    return Press(ProgramString(tessaly::kStringUpdateAtNextStart), IDNO);
  }
  if (command == L"confirm") {
    return Press(ProgramString(tessaly::kStringMandatoryUpdateNotice), IDOK);
  }
  if (command == L"question") {
    return WaitForDialog(ProgramString(tessaly::kStringUpdateNow)) != nullptr ? 0 : 1;
  }
  if (command == L"hide-main") {
    const HWND main = tessaly::win32::FindMainWindow();
    return main != nullptr && ShowWindow(main, SW_HIDE) != FALSE ? 0 : 1;
  }
  if (command == L"program-folder") {
    return PrintProgramFolder();
  }
  if (command == L"main-window") {
    return WaitForDialog({}) != nullptr ? 0 : 1;
  }
  if (command == L"close" || command == L"poll") {
    const HWND window = WaitForDialog({});
    const bool posted = window != nullptr &&
                        (command == L"close" ? PostMessageW(window, WM_CLOSE, 0, 0)
                                             : PostMessageW(window, WM_TIMER, kPollTimer, 0));
    return posted ? 0 : 1;
  }
  if ((command == L"setup" || command == L"setup-page") && !choice.empty()) {
    return AwaitSetupPage(
        std::u16string_view(reinterpret_cast<const char16_t*>(choice.data()), choice.size()),
        command == L"setup");
  }
  return 2;
}
