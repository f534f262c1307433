// The real certificate-download progress window under a display: made from dialog template
// 161 of Tessaly.exe (TESSALY_PROGRAM), driven through the page method's binding, found on
// the desktop by its caption like any window, and a window of another program with the
// same caption left alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WideText.h"
#include "shell/win32/DownloadingBoxBinding.h"
#include "tests/program/DesktopWindows.h"

namespace tessaly::win32 {
namespace {

constexpr char16_t kCheckingTitle[] = u"UKey检测";
constexpr char16_t kCheckingText[] = u"正在检查UKey状态，请稍候...";
constexpr char16_t kDownloadTitle[] = u"证书下载";
constexpr char16_t kSendingText[] = u"正在发送证书请求，请稍候...";
constexpr int kLabelId = 1000;

std::u16string LabelOf(HWND window) { return WindowText(GetDlgItem(window, kLabelId)); }

HWND OnlyOwnWindow(const std::u16string& caption) {
  const std::vector<HWND> found = TopLevelWindowsCaptioned(caption, GetCurrentProcessId());
  return found.size() == 1 ? found.front() : nullptr;
}

class CertDownloadingWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    resources_ = LoadProgramResources();
    if (resources_ == nullptr) {
      GTEST_SKIP() << "TESSALY_PROGRAM is not set (tests/program/run-certificate-tests.sh sets it)";
    }
    binding_ = std::make_unique<DownloadingBoxBinding>(resources_);
    binding_->BindTo(operations_);
  }
  void TearDown() override {
    binding_.reset();
    if (resources_ != nullptr) {
      FreeLibrary(resources_);
    }
  }

  // A page call, and how long it held the caller.
  std::chrono::milliseconds Call(std::int32_t mode, std::u16string_view title,
                                 std::u16string_view text) {
    const auto start = std::chrono::steady_clock::now();
    operations_.downloadingBox(mode, title, text);
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
  }

  HMODULE resources_ = nullptr;
  ShellOperations operations_;
  std::unique_ptr<DownloadingBoxBinding> binding_;
};

TEST_F(CertDownloadingWindowTest, ThePagesSequenceShowsOneWindowRetitledClosedAndMadeAgain) {
  EXPECT_GE(Call(1, kCheckingTitle, kCheckingText).count(), 1000);
  const HWND first = OnlyOwnWindow(kCheckingTitle);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(IsWindowVisible(first));
  EXPECT_EQ(LabelOf(first), kCheckingText);
  // The user cannot close it: the Close item is greyed, and a close request is ignored.
  const UINT closeState = GetMenuState(GetSystemMenu(first, FALSE), SC_CLOSE, MF_BYCOMMAND);
  EXPECT_NE(closeState & MF_GRAYED, 0u);
  SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
  SendMessageW(first, WM_CLOSE, 0, 0);
  SendMessageW(first, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindow(first));

  // The caption does not match: nothing is closed, and nothing waits.
  EXPECT_LT(Call(0, kDownloadTitle, u"").count(), 1000);
  EXPECT_TRUE(IsWindow(first));

  EXPECT_GE(Call(2, kDownloadTitle, kSendingText).count(), 1000);
  EXPECT_EQ(OnlyOwnWindow(kDownloadTitle), first);
  EXPECT_TRUE(TopLevelWindowsCaptioned(kCheckingTitle, GetCurrentProcessId()).empty());
  EXPECT_EQ(LabelOf(first), kSendingText);
  if (const std::optional<std::u16string> folder = PictureFolder()) {
    EXPECT_TRUE(SaveWindowPicture(first, *folder + u"cert-downloading-window.bmp"));
  }

  Call(0, kDownloadTitle, u"");
  EXPECT_FALSE(IsWindow(first));
  EXPECT_TRUE(TopLevelWindowsCaptioned(kDownloadTitle, GetCurrentProcessId()).empty());

  Call(1, kDownloadTitle, u"正在下载证书请求...");
  const HWND second = OnlyOwnWindow(kDownloadTitle);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(LabelOf(second), u"正在下载证书请求...");
  Call(0, kDownloadTitle, u"");
  EXPECT_FALSE(IsWindow(second));
}

// Another program's window of that caption, started from the test helper beside this
// program; the helper ends with status 3 if it is ever asked to close.
class ForeignWindow {
 public:
  explicit ForeignWindow(const std::u16string& caption) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line(self);
    line.erase(line.find_last_of(L'\\') + 1);
    line = L"\"" + line + L"components\\TessalyTestCaptionWindow.exe\" \"" +
           std::wstring(AsWide(caption)) + L"\" 60";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &created)) {
      CloseHandle(created.hThread);
      process_.reset(created.hProcess);
      processId_ = created.dwProcessId;
    }
  }
  ~ForeignWindow() {
    if (process_) {
      TerminateProcess(process_.get(), 0);
      WaitForSingleObject(process_.get(), 5000);
    }
  }

  HWND WaitForWindow(const std::u16string& caption) const {
    for (int i = 0; i < 200 && process_; ++i) {
      const std::vector<HWND> found = TopLevelWindowsCaptioned(caption, processId_);
      if (!found.empty()) {
        return found.front();
      }
      Sleep(50);
    }
    return nullptr;
  }
  bool StillRunning() const {
    return process_ && WaitForSingleObject(process_.get(), 500) == WAIT_TIMEOUT;
  }

 private:
  unique_handle process_;
  DWORD processId_ = 0;
};

TEST_F(CertDownloadingWindowTest, CloseLeavesAnotherProgramsWindowOfTheSameCaptionAlone) {
  const ForeignWindow other(kDownloadTitle);
  const HWND foreign = other.WaitForWindow(kDownloadTitle);
  ASSERT_NE(foreign, nullptr) << "the helper's window did not appear";

  // Without a window of its own the program closes nothing.
  Call(0, kDownloadTitle, u"");
  EXPECT_TRUE(other.StillRunning());
  EXPECT_TRUE(IsWindow(foreign));

  // With its own window of the same caption it closes only that one.
  Call(1, kDownloadTitle, kSendingText);
  const HWND own = OnlyOwnWindow(kDownloadTitle);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(TopLevelWindowsCaptioned(kDownloadTitle).size(), 2u);
  Call(0, kDownloadTitle, u"");
  EXPECT_FALSE(IsWindow(own));
  EXPECT_TRUE(other.StillRunning());
  EXPECT_TRUE(IsWindow(foreign));
}

}  // namespace
}  // namespace tessaly::win32
