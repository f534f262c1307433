// The browser tests' eyes on the program's own windows, which they cannot reach from Linux:
//   TessalyTestWindowReader CAPTION [BUTTON [PICTURE]]
// waits up to twenty seconds for a visible top-level window of any process captioned
// CAPTION, saves what the screen shows of it as the BMP file PICTURE when given, prints the
// texts of its child windows as UTF-8, one a line, and, given a BUTTON other than 0 (1 is
// OK), presses that button as a user's click would. Exit status 0 when the window was
// found, 2 when it was not, 1 for bad arguments or a picture that could not be saved.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/portable/Utf8Codec.h"
#include "tests/program/DesktopWindows.h"

int wmain(int count, wchar_t** arguments) {
  using namespace tessaly;
  using namespace tessaly::win32;
  if (count < 2) {
    return 1;
  }
  const std::wstring wide(arguments[1]);
  const std::u16string caption(wide.begin(), wide.end());
  for (int attempt = 0; attempt < 200; ++attempt) {
    const std::vector<HWND> found = TopLevelWindowsCaptioned(caption);
    if (!found.empty()) {
      // A window that has just taken its caption may not have painted its label yet; a
      // user looks a moment later too.
      Sleep(300);
      bool pictured = true;
      if (count >= 4) {
        const std::wstring picture(arguments[3]);
        pictured = SaveWindowPicture(found.front(), std::u16string(picture.begin(), picture.end()));
      }
      for (const std::u16string& text : ChildTexts(found.front())) {
        std::printf("%s\n", EncodeUtf8(text).c_str());
      }
      const WPARAM button = count >= 3 ? std::wcstoul(arguments[2], nullptr, 10) : 0;
      if (button != 0) {
        PostMessageW(found.front(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      }
      return pictured ? 0 : 1;
    }
    Sleep(100);
  }
  return 2;
}
