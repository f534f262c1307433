#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/portable/Utf8Codec.h"
#include "platform/win32/UniqueHandles.h"
#include "shell/win32/MainWindowMark.h"
#include "tests/fakes/Eventually.h"
#include "tests/win32/RawRegistry.h"

namespace tessaly::win32 {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;
const std::u16string kSettingsKey = u"Software\\Brimvane\\Orvendel\\Quaymark";
const std::u16string kZoneZero =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\0";

// The real program in real processes: TESSALY_PROGRAM names Tessaly.exe (a Windows path)
// and a display must be there for its window and tray icon. Skipped otherwise.
class TessalyProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* program = std::getenv("TESSALY_PROGRAM");
    if (program == nullptr || *program == '\0') {
      GTEST_SKIP() << "TESSALY_PROGRAM is not set (tests/program/run-program-tests.sh sets it)";
    }
    program_ = DecodeUtf8(program);
  }

  unique_handle Start(std::u16string_view argument) {
    std::u16string line = u"\"" + program_ + u"\"";
    if (!argument.empty()) {
      line += u" " + std::u16string(argument);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(line.data()), nullptr, nullptr,
                        FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return unique_handle();
    }
    CloseHandle(process.hThread);
    return unique_handle(process.hProcess);
  }

  static HWND WaitForWindow() {
    for (DWORD waited = 0; waited < kStartTimeoutMs; waited += 100) {
      if (const HWND window = FindWindowW(L"#32770", L"Tessaly")) {
        return window;
      }
      Sleep(100);
    }
    return nullptr;
  }

  static DWORD WaitForExit(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process, kStartTimeoutMs) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process, &code);
    }
    return code;
  }

  std::u16string program_;
};

TEST_F(TessalyProgramTest, HiddenStartSecondStartTrayAndExit) {
  const unique_handle first = Start(u"/hide");
  ASSERT_TRUE(first);
  const HWND window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  RECT frame;
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.right - frame.left, 650);
  EXPECT_EQ(frame.bottom - frame.top, 534);
  // Hidden, and with no taskbar button.
  EXPECT_FALSE(IsWindowVisible(window));
  LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  EXPECT_NE(style & WS_EX_TOOLWINDOW, 0);
  EXPECT_EQ(style & WS_EX_APPWINDOW, 0);
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION, WS_BORDER);

  // The first run created the settings key with its defaults.
  const RawValue first_run = ReadRaw(kSettingsKey, u"isFirst");
  EXPECT_EQ(first_run.status, ERROR_SUCCESS);
  EXPECT_EQ(first_run.data, DwordBytes(1));

  // A second start ends at once and brings the first window back, with its taskbar button:
  // an unowned window with the application-window style (its style is swapped while it is
  // hidden, before it shows; Wine shows no taskbar to ask about the button itself).
  const unique_handle second = Start(u"");
  ASSERT_TRUE(second);
  EXPECT_EQ(WaitForExit(second.get()), 0u);
  EXPECT_TRUE(Eventually([&] { return IsWindowVisible(window) != FALSE; }));
  style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  EXPECT_EQ(style & WS_EX_TOOLWINDOW, 0);
  EXPECT_NE(style & WS_EX_APPWINDOW, 0);
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_FALSE(IsIconic(window));

  // Hidden again (as the page's exit does with the default close type), the tray icon's
  // left click brings it back; the tray's "退出" ends the program.
  ShowWindow(window, SW_HIDE);
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(window) == FALSE; }));
  SendMessageW(window, WM_USER + 1, 0, 0x201);
  EXPECT_TRUE(Eventually([&] { return IsWindowVisible(window) != FALSE; }));
  PostMessageW(window, WM_COMMAND, 32780, 0);
  EXPECT_EQ(WaitForExit(first.get()), 0u);
  EXPECT_EQ(FindWindowW(L"#32770", L"Tessaly"), nullptr);
}

TEST_F(TessalyProgramTest, WithoutAPageTheZoneSwitchStaysAndTheOptionIsExact) {
  // Wine has no HTML engine: the page never completes, so the switch set at initialisation
  // is never removed. "/HIDE" is not "/hide": the window shows.
  DeleteRaw(kZoneZero, u"1201");
  const unique_handle program = Start(u"/HIDE");
  ASSERT_TRUE(program);
  const HWND window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(Eventually([&] { return IsWindowVisible(window) != FALSE; }));
  const RawValue zone = ReadRaw(kZoneZero, u"1201");
  EXPECT_EQ(zone.status, ERROR_SUCCESS);
  EXPECT_EQ(zone.data, DwordBytes(0));
  // An installer's request to close, broadcast: only the main window answers it.
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(kCloseRequestMessage), 0, 0);
  EXPECT_EQ(WaitForExit(program.get()), 0u);
}

}  // namespace
}  // namespace tessaly::win32
