#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "shell/update/SelfUpdate.h"
#include "tests/shell/UpdateTestPc.h"

namespace tessaly {
namespace {

// Prompts whose question waits until the test lets it answer "no".
class HeldPrompts final : public Prompts {
 public:
  YesNoAnswer AskYesNo(unsigned, unsigned, unsigned, unsigned) override {
    std::unique_lock lock(mutex_);
    ++questions_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_; });
    return YesNoAnswer::No;
  }
  int ShowInfo(unsigned) override { return 0; }
  int ShowInfoText(std::u16string_view text) override {
    const std::lock_guard lock(mutex_);
    notices_.emplace_back(text);
    return 1;
  }
  void ShowWarning(std::u16string_view, std::u16string_view) override {}

  void WaitForQuestion() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return questions_ > 0; });
  }
  void Release() {
    const std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  int questions() {
    const std::lock_guard lock(mutex_);
    return questions_;
  }
  std::vector<std::u16string> notices() {
    const std::lock_guard lock(mutex_);
    return notices_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int questions_ = 0;
  bool released_ = false;
  std::vector<std::u16string> notices_;
};

struct Program : UpdateTestPc {
  HeldPrompts prompts;
  DiagnosisOperations operations;
  ShellOperations shell;
  bool settled = true;
  SelfUpdate update{Context(prompts)};

  Program() {
    config.appInfo.version = "1.0.0.5";
    update.BindTo(operations, shell, [this] { return settled; });
  }
};

TEST(SelfUpdateTest, OnlyOneWorkerRunsAtATime) {
  Program program;
  ASSERT_TRUE(program.operations.isUpdateDue());  // never checked before
  program.operations.startUpdateThread();
  program.prompts.WaitForQuestion();
  EXPECT_TRUE(program.update.Running());
  EXPECT_FALSE(program.update.Start());
  program.shell.update();  // the page's link meanwhile
  program.prompts.Release();
  while (program.update.Running()) {
    std::this_thread::yield();
  }
  EXPECT_EQ(program.prompts.questions(), 1);
  EXPECT_TRUE(program.prompts.notices().empty());
  EXPECT_FALSE(program.operations.isUpdateDue());  // the run was recorded
  EXPECT_TRUE(program.update.Start());             // and the next one may start
}

TEST(SelfUpdateTest, ThePageMethodSaysSoWhenCurrentAndWaitsForTheConfiguration) {
  Program program;
  program.config.appInfo.version = "1.0.0.4";
  program.settled = false;
  program.shell.update();
  EXPECT_TRUE(program.prompts.notices().empty());
  program.settled = true;
  program.shell.update();
  EXPECT_FALSE(program.update.Running());
  EXPECT_EQ(program.prompts.notices(), std::vector<std::u16string>{std::u16string(kAlreadyCurrentNotice)});
}

}  // namespace
}  // namespace tessaly
