#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/console/ConsoleOptions.h"
#include "tools/console/ConsolePrompts.h"
#include "tools/console/ConsoleReportSink.h"
#include "tools/console/VerdictWatcher.h"
#include "tests/fakes/RecordingPageSink.h"

namespace tessaly {
namespace {

std::string Render(void (*calls)(PageSink&)) {
  std::ostringstream out;
  ConsoleReportSink sink(out);
  calls(sink);
  return out.str();
}

TEST(ConsoleReportSink, WritesAStepAsThePageWouldShowIt) {
  const std::string text = Render([](PageSink& page) {
    page.setState(0, 0, 18);
    page.setState(0, 2, 1003);
    page.setState(1, 3, 1);
    page.setState(1, 2, 0);
    page.setState(1, 1, u"Microsoft Windows 7 旗舰版 SP1");
    page.setState(0, 4, u"2026-12-09 12:00:00");
  });
  EXPECT_EQ(text,
            "进度 18%\n"
            "状态: 正在检测Host文件\n"
            "[ 3] Host文件: 不正常\n"
            "[ 2] 注册表设置: 正常\n"
            "[ 1] 操作系统: Microsoft Windows 7 旗舰版 SP1\n"
            "检测时间: 2026-12-09 12:00:00\n");
}

TEST(ConsoleReportSink, VerdictsAndRepairsUseThePageTexts) {
  const std::string text = Render([](PageSink& page) {
    page.setState(0, 2, 1999);
    page.setState(0, 3, 0);
    page.setState(0, 2, 2012);
    page.setState(0, 3, 3);
  });
  EXPECT_EQ(text,
            "状态: 检测完毕\n"
            "结论: 恭喜您，您的电脑已达到我行网银使用要求，请放心使用。 (0)\n"
            "状态: 正在清理SSL缓存\n"
            "结论: 您的电脑未达到我行网银的要求，请点击“一键设置”修复。 (3)\n");
}

TEST(ConsoleReportSink, NothingTheProgramSendsIsHidden) {
  const std::string text = Render([](PageSink& page) {
    page.setState(0, 2, 4321);             // a code without a text
    page.setState(1, 14, 0);               // an item the page has no row for
    page.setState(1, 6, 7);                // a value that is neither normal nor abnormal
    page.setState(2, 3, static_cast<std::int32_t>(0xC0000005u));
    page.setState(2, 1, 2);
    page.setState(2, 2, u"1.0.0.3");
    page.setState(2, 4, u"");
    page.setState(804, 2, u"WD1234");
    page.setState(77, 1, u"x");
    page.clearState(2, 4);
    page.setTab(u"key", 1, 3);
    page.ShowDivc(1);
    page.setUserTypeUI();
  });
  EXPECT_EQ(text,
            "状态 4321\n"
            "[14] 检测项: 正常\n"
            "[ 6] DNS设置: 7\n"
            "组件 3: 被禁用, 未插入USBKey\n"
            "组件 1: 有更新 [升级]\n"
            "组件 2: 已安装, 版本 \"1.0.0.3\"\n"
            "组件 4: 版本 \"\"\n"
            "USBKey序列号: WD1234\n"
            "setState(77, 1, x)\n"
            "clearState(2, 4)\n"
            "setTab(key, 1, 3)\n"
            "ShowDivc(1)\n"
            "setUserTypeUI()\n");
}

TEST(ConsoleReportSink, ComponentRowsInThePagesWords) {
  EXPECT_EQ(ComponentRowText(2, 0), "已安装");
  EXPECT_EQ(ComponentRowText(2, 1), "已安装");
  EXPECT_EQ(ComponentRowText(2, 2), "有更新 [升级]");
  EXPECT_EQ(ComponentRowText(2, 3), "有更新");
  EXPECT_EQ(ComponentRowText(2, 4), "未安装");
  EXPECT_EQ(ComponentRowText(2, 5), "未安装 [安装]");
  EXPECT_EQ(ComponentRowText(1, 5), "可选装 [安装]");
  EXPECT_EQ(ComponentRowText(1, 6), "可选装");
  EXPECT_EQ(ComponentRowText(2, 7), "状态7");
  EXPECT_EQ(ComponentRowText(2, 0x40000005u), "被禁用");
  EXPECT_EQ(ComponentRowText(5, 0x80000000u), "已安装, 未插入USBKey");
}

TEST(VerdictWatcher, PassesEveryCallOnAndReportsOnlyVerdicts) {
  RecordingPageSink page;
  std::vector<std::int32_t> verdicts;
  VerdictWatcher watcher(page, [&](std::int32_t verdict) { verdicts.push_back(verdict); });
  watcher.setState(0, 0, 100);
  watcher.setState(0, 3, 1);
  watcher.setState(1, 3, 1);      // item 3 of another category
  watcher.setState(0, 3, u"0");   // a text is no verdict
  watcher.clearState(0, 3);
  watcher.setTab(u"g", 1, 2);
  watcher.ShowDivc(0);
  watcher.setUserTypeUI();
  watcher.setState(0, 3, 0);
  EXPECT_EQ(verdicts, (std::vector<std::int32_t>{1, 0}));
  EXPECT_EQ(page.Calls(),
            (std::vector<PageCall>{PageCall::SetState(0, 0, 100), PageCall::SetState(0, 3, 1),
                                   PageCall::SetState(1, 3, 1), PageCall::SetState(0, 3, u"0"),
                                   PageCall::ClearState(0, 3), PageCall::SetTab(u"g", 1, 2),
                                   PageCall::ShowDivc(0), PageCall::SetUserTypeUI(),
                                   PageCall::SetState(0, 3, 0)}));
}

TEST(ConsolePrompts, QuestionsGetTheAnswerTheConsoleWasGiven) {
  std::ostringstream out;
  const auto texts = [](unsigned id) { return u"t" + std::u16string(1, char16_t(u'0' + id)); };
  ConsolePrompts yes(out, texts, YesNoAnswer::Yes);
  ConsolePrompts no(out, texts, YesNoAnswer::No);
  EXPECT_EQ(yes.AskYesNo(1, 2, 3, 4), YesNoAnswer::Yes);
  EXPECT_EQ(no.AskYesNo(1, 2, 3, 4), YesNoAnswer::No);
  EXPECT_EQ(out.str(), "询问(回答“t3”): t2 t1\n询问(回答“t4”): t2 t1\n");
}

TEST(ConsolePrompts, NoticesBecomeLinesAndQuestionsGoUnanswered) {
  std::ostringstream out;
  ConsolePrompts prompts(out, [](unsigned id) {
    return id == 0 ? std::u16string() : u"text" + std::u16string(1, char16_t(u'0' + id));
  });
  EXPECT_EQ(prompts.AskYesNo(1, 2, 3, 4), YesNoAnswer::Neither);
  EXPECT_EQ(prompts.AskYesNo(5, 0, 3, 4), YesNoAnswer::Neither);
  EXPECT_EQ(prompts.ShowInfo(6), kConsoleInfoAnswer);
  EXPECT_EQ(prompts.ShowInfoText(u"完成"), kConsoleInfoAnswer);
  prompts.ShowWarning(u"标题", u"内容");
  EXPECT_EQ(out.str(),
            "询问(无人回答): text2 text1\n"
            "询问(无人回答): text5\n"
            "提示: text6\n"
            "提示: 完成\n"
            "警告: 标题: 内容\n");
}

std::optional<ConsoleOptions> Parse(std::vector<std::u16string> arguments) {
  return ParseConsoleOptions(arguments);
}

TEST(ConsoleOptions, AcceptsTheDocumentedOptions) {
  const auto none = Parse({});
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->repair);
  EXPECT_TRUE(none->transcriptPath.empty());
  EXPECT_EQ(none->timeoutSeconds, 300u);
  EXPECT_FALSE(none->answer);

  const auto all = Parse({u"--json", u"C:\\报告 1.jsonl", u"--fix", u"--timeout", u"86400"});
  ASSERT_TRUE(all);
  EXPECT_TRUE(all->repair);
  EXPECT_EQ(all->transcriptPath, u"C:\\报告 1.jsonl");
  EXPECT_EQ(all->timeoutSeconds, 86400u);
  EXPECT_EQ(Parse({u"--answer", u"yes"})->answer, YesNoAnswer::Yes);
  EXPECT_EQ(Parse({u"--answer", u"no"})->answer, YesNoAnswer::No);
}

TEST(ConsoleOptions, RefusesWhatItCannotHonour) {
  EXPECT_FALSE(Parse({u"--repair"}));
  EXPECT_FALSE(Parse({u"--json"}));
  EXPECT_FALSE(Parse({u"--json", u""}));
  EXPECT_FALSE(Parse({u"--timeout"}));
  EXPECT_FALSE(Parse({u"--timeout", u"0"}));
  EXPECT_FALSE(Parse({u"--timeout", u"86401"}));
  EXPECT_FALSE(Parse({u"--timeout", u"-5"}));
  EXPECT_FALSE(Parse({u"--timeout", u"99999999999"}));
  EXPECT_FALSE(Parse({u"--timeout", u"1x"}));
  EXPECT_FALSE(Parse({u"--answer"}));
  EXPECT_FALSE(Parse({u"--answer", u"YES"}));
}

}  // namespace
}  // namespace tessaly
