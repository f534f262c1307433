#include "shell/DownloadingBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/FakeProgressDialog.h"

namespace tessaly {
namespace {

struct BoxCall {
  std::int32_t mode;
  std::u16string title;
  std::u16string text;
};

struct BoxCase {
  const char* name;
  bool failOpen;
  std::vector<BoxCall> calls;
  std::vector<std::string> transcript;
};

// The page's own sequences come first (one window, retitled, closed, opened again from the
// same object), then the calls it never makes.
const BoxCase kCases[] = {
    {"ThePagesDownloadIsOneWindowRetitledClosedAndOpenedAgain",
     false,
     {{1, u"UKey检测", u"正在检查UKey状态，请稍候..."},
      {0, u"证书下载", u""},
      {2, u"证书下载", u"正在发送证书请求，请稍候..."},
      {0, u"证书下载", u""},
      {1, u"证书下载", u"正在下载证书请求...\n请勿关闭助手或拔出UKey，以免证书下载失败！"},
      {0, u"证书下载", u""}},
     {"make", "open UKey检测|正在检查UKey状态，请稍候...", "repaint", "pause 1000",
      "texts 证书下载|正在发送证书请求，请稍候...", "repaint", "pause 1000", "destroy",
      "open 证书下载|正在下载证书请求...\n请勿关闭助手或拔出UKey，以免证书下载失败！", "repaint",
      "pause 1000", "destroy"}},
    {"CloseWithAnotherCaptionLeavesTheWindowOpen",
     false,
     {{1, u"UKey检测", u"a"}, {0, u"证书下载", u""}, {0, u"UKey", u""}, {0, u"", u""}},
     {"make", "open UKey检测|a", "repaint", "pause 1000"}},
    {"CloseAndRetitleBeforeAnyWindowDoNothingAndMakeNoDialog",
     false,
     {{0, u"证书下载", u""}, {2, u"证书下载", u"b"}},
     {}},
    {"RetitleAfterCloseShowsNothingAndHoldsNothing",
     false,
     {{1, u"证书下载", u"a"}, {0, u"证书下载", u""}, {2, u"证书下载", u"b"}},
     {"make", "open 证书下载|a", "repaint", "pause 1000", "destroy"}},
    {"OpenWhileOpenRetitlesTheOneWindow",
     false,
     {{1, u"UKey检测", u"a"}, {1, u"证书下载", u"b"}, {0, u"证书下载", u""}},
     {"make", "open UKey检测|a", "repaint", "pause 1000", "texts 证书下载|b", "repaint",
      "pause 1000", "destroy"}},
    {"OtherModesDoNothing",
     false,
     {{1, u"证书下载", u"a"}, {3, u"证书下载", u"b"}, {-1, u"证书下载", u""}, {100, u"x", u"y"}},
     {"make", "open 证书下载|a", "repaint", "pause 1000"}},
    {"AWindowThatCannotBeCreatedIsNeitherRefreshedNorWaitedFor",
     true,
     {{1, u"证书下载", u"a"}, {2, u"证书下载", u"b"}, {0, u"证书下载", u""}, {1, u"证书下载", u"c"}},
     {"make"}},
};

class DownloadingBoxTest : public testing::TestWithParam<BoxCase> {};

TEST_P(DownloadingBoxTest, Transcript) {
  FakeProgressDialogHost host;
  host.failOpen = GetParam().failOpen;
  DownloadingBox box(host);
  for (const BoxCall& call : GetParam().calls) {
    box.Run(call.mode, call.title, call.text);
  }
  EXPECT_EQ(host.transcript, GetParam().transcript);
}

INSTANTIATE_TEST_SUITE_P(Modes, DownloadingBoxTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<BoxCase>& param) {
                           return std::string(param.param.name);
                         });

TEST(DownloadingBoxObjectTest, OneDialogObjectServesEveryWindowOfTheRun) {
  FakeProgressDialogHost host;
  DownloadingBox box(host);
  for (int round = 0; round < 5; ++round) {
    box.Run(1, u"证书下载", u"正在下载");
    ASSERT_TRUE(host.windowOpen());
    EXPECT_EQ(host.caption(), u"证书下载");
    EXPECT_EQ(host.label(), u"正在下载");
    box.Run(0, u"证书下载", u"");
    EXPECT_FALSE(host.windowOpen());
  }
  EXPECT_EQ(host.dialogsMade(), 1);
}

}  // namespace
}  // namespace tessaly
