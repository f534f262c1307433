// The string table as LoadStringW sees it in the module, and the prompts: where no box can
// be shown, and where one is shown and answered.
#include "platform/win32/Win32Prompts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "resources/StringTable.h"
#include "tests/program/DesktopWindows.h"

namespace tessaly::win32 {
namespace {

HINSTANCE OwnModule() { return GetModuleHandleW(nullptr); }

TEST(Win32StringTableTest, EveryStringLoadsExactlyAsItsSourceGivesIt) {
  for (const ProgramStringEntry& entry : kProgramStrings) {
    EXPECT_EQ(LoadProgramString(OwnModule(), entry.id), entry.text) << "string " << entry.id;
  }
}

TEST(Win32StringTableTest, ChineseTextsAndSpacesSurviveTheResourceCompiler) {
  EXPECT_EQ(LoadProgramString(OwnModule(), 136), u"Tessaly");
  EXPECT_EQ(LoadProgramString(OwnModule(), 141), u"      SSL缓存清除成功      ");
  EXPECT_EQ(LoadProgramString(OwnModule(), 145), u"下载失败，是否继续下一个");
  EXPECT_EQ(LoadProgramString(OwnModule(), 156), u"发现您的系统缺少下载证书控件，是否安装？");
  EXPECT_EQ(LoadProgramString(OwnModule(), 159), u"应用程序有更新，为不影响您的使用请立即下载更新");
}

TEST(Win32StringTableTest, IdZeroAndIdsNotInTheTableAreEmpty) {
  for (const unsigned id : {0u, 135u, 137u, 138u, 140u, 153u, 154u, 155u, 160u, 65535u}) {
    EXPECT_TRUE(LoadProgramString(OwnModule(), id).empty()) << "string " << id;
  }
}

bool WindowsCanBeShown() {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) {
    return false;
  }
  DestroyWindow(window);
  return true;
}

// Where no box can be shown, a question answers neither choice and an information box not
// "OK"; where boxes show, each answers what is pressed in it (pressed from outside, as a
// user's click would be).
TEST(Win32PromptsTest, EachBoxAnswersWhatIsPressedOrNothingWhereNoneCanBeShown) {
  Win32Prompts prompts(OwnModule(), kStringProgramTitle);
  const std::u16string title = LoadProgramString(OwnModule(), kStringProgramTitle);
  if (!WindowsCanBeShown()) {
    EXPECT_EQ(prompts.AskYesNo(kStringDownloadFailedQuestion, kStringDownloadFailedInstruction,
                               kStringContinueDownloading, kStringStopDownloading),
              YesNoAnswer::Neither);
    EXPECT_EQ(prompts.AskYesNo(kStringCertEnrollMissingQuestion, 0, kStringYes, kStringNo),
              YesNoAnswer::Neither);
    EXPECT_NE(prompts.ShowInfo(kStringMandatoryUpdateNotice), IDOK);
    EXPECT_NE(prompts.ShowInfoText(u"已是最新版本，不需要更新"), IDOK);
    prompts.ShowWarning(u"警告", u"text");  // returns at once instead of waiting
    return;
  }
  {
    DialogAnswerer yes(title, IDYES);
    EXPECT_EQ(prompts.AskYesNo(kStringDownloadFailedQuestion, kStringDownloadFailedInstruction,
                               kStringContinueDownloading, kStringStopDownloading),
              YesNoAnswer::Yes);
    yes.Join();
    EXPECT_TRUE(yes.answered());
  }
  {
    DialogAnswerer no(title, IDNO);
    EXPECT_EQ(prompts.AskYesNo(kStringCertEnrollMissingQuestion, 0, kStringYes, kStringNo),
              YesNoAnswer::No);
    no.Join();
    EXPECT_TRUE(no.answered());
  }
  {
    DialogAnswerer ok(title, IDOK);
    EXPECT_EQ(prompts.ShowInfo(kStringMandatoryUpdateNotice), IDOK);
    ok.Join();
    EXPECT_NE(std::find(ok.texts().begin(), ok.texts().end(),
                        LoadProgramString(OwnModule(), kStringMandatoryUpdateNotice)),
              ok.texts().end());
  }
  DialogAnswerer warning(u"警告", IDOK);
  prompts.ShowWarning(u"警告", u"text");
  warning.Join();
  EXPECT_TRUE(warning.answered());
}

}  // namespace
}  // namespace tessaly::win32
