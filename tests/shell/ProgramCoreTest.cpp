#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/portable/Utf8Codec.h"
#include "shell/core/ProgramCore.h"
#include "tests/config/FakeConfigPlatform.h"
#include "tests/fakes/FakeCertificateStores.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeCodeSignatures.h"
#include "tests/fakes/FakeFileStore.h"
#include "tests/fakes/FakeFileView.h"
#include "tests/fakes/FakeInternet.h"
#include "tests/fakes/FakeModuleLoader.h"
#include "tests/fakes/FakeModuleResources.h"
#include "tests/fakes/FakeProcessLauncher.h"
#include "tests/fakes/FakeProgramFolder.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeResolver.h"
#include "tests/fakes/FakeScriptedPrompts.h"
#include "tests/fakes/FakeSslCacheLibraries.h"
#include "tests/fakes/FakeTimerService.h"
#include "tests/fakes/FakeUsbDriver.h"
#include "tests/fakes/FakeUrlZones.h"
#include "tests/fakes/FakeWholeFiles.h"
#include "tests/fakes/FakeWideEnvironment.h"
#include "tests/fakes/ScriptedRandom.h"

namespace tessaly {
namespace {

constexpr char16_t kSettingsKey[] = u"Software\\Brimvane\\Orvendel\\Quaymark";
constexpr char16_t kZoneZero[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\0";

std::string Narrow(std::u16string_view text) { return EncodeUtf8(text); }

std::string Text(const PageValue& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) {
    return std::to_string(*number);
  }
  return "\"" + Narrow(std::get<std::u16string>(value)) + "\"";
}

// Everything the core does outside itself, in one log: the page's functions, the window,
// the links, the logon tasks and the operation entries other parts bind.
struct Log {
  std::vector<std::string> lines;
  std::vector<std::string> Take() { return std::exchange(lines, {}); }
};

class LoggingPage final : public PageSink {
 public:
  explicit LoggingPage(Log& log) : log_(log) {}
  void setState(std::int32_t c, std::int32_t i, const PageValue& v) override {
    log_.lines.push_back("setState(" + std::to_string(c) + "," + std::to_string(i) + "," +
                         Text(v) + ")");
  }
  void clearState(std::int32_t c, std::int32_t i) override {
    log_.lines.push_back("clearState(" + std::to_string(c) + "," + std::to_string(i) + ")");
  }
  void setTab(std::u16string_view g, std::int32_t t, std::int32_t n) override {
    log_.lines.push_back("setTab(" + Narrow(g) + "," + std::to_string(t) + "," +
                         std::to_string(n) + ")");
  }
  void ShowDivc(std::int32_t flag) override {
    log_.lines.push_back("ShowDivc(" + std::to_string(flag) + ")");
  }
  void setUserTypeUI() override { log_.lines.push_back("setUserTypeUI()"); }

 private:
  Log& log_;
};

class LoggingWindow final : public ProgramWindow {
 public:
  explicit LoggingWindow(Log& log) : log_(log) {}
  void Hide() override { log_.lines.push_back("window.Hide"); }
  void Close() override { log_.lines.push_back("window.Close"); }
  void Minimise() override { log_.lines.push_back("window.Minimise"); }
  void Restore() override { log_.lines.push_back("window.Restore"); }
  void ShowMessage(std::u16string_view text, std::u16string_view caption) override {
    log_.lines.push_back("window.ShowMessage(" + Narrow(text) + "," + Narrow(caption) + ")");
  }

 private:
  Log& log_;
};

class LoggingLinks final : public LinkOpener {
 public:
  explicit LoggingLinks(Log& log) : log_(log) {}
  void Open(std::u16string_view address) const override {
    log_.lines.push_back("open(" + Narrow(address) + ")");
  }

 private:
  Log& log_;
};

class FakeLogonTasks final : public LogonTasks {
 public:
  explicit FakeLogonTasks(Log& log) : log_(log) {}
  bool Create(std::u16string_view name, std::u16string_view path) override {
    log_.lines.push_back("task.Create(" + Narrow(name) + "," + Narrow(path) + ")");
    present = true;
    return true;
  }
  bool Delete(std::u16string_view name) override {
    log_.lines.push_back("task.Delete(" + Narrow(name) + ")");
    present = false;
    return true;
  }
  bool Exists(std::u16string_view) override { return present; }
  bool present = false;

 private:
  Log& log_;
};

class FakeConnection final : public ConnectionState {
 public:
  bool IsConnected() const override { return true; }
};

// The core over fakes of every platform service, with the configuration settled (empty),
// so that every page method can run.
class ProgramCoreTest : public testing::Test {
 protected:
  ProgramCoreTest() {
    core.state().configWorkerRunning.store(false);
    core.operations().install = [this](std::int32_t item) {
      log.lines.push_back("install(" + std::to_string(item) + ")");
    };
    core.operations().installAndFix = [this] { log.lines.push_back("installAndFix()"); };
    core.operations().probeUsbKey = [this] { log.lines.push_back("probeUsbKey()"); };
    core.shellOperations().update = [this] { log.lines.push_back("update()"); };
    coreEnrolmentRepair = core.shellOperations().checkAndFixCertEnroll;
    core.shellOperations().checkAndFixCertEnroll = [this] {
      log.lines.push_back("checkAndFixCertEnroll()");
    };
    core.shellOperations().downloadingBox = [this](std::int32_t mode, std::u16string_view title,
                                                   std::u16string_view text) {
      log.lines.push_back("downloadingBox(" + std::to_string(mode) + "," + Narrow(title) + "," +
                          Narrow(text) + ")");
    };
    log.Take();
  }

  std::uint32_t Setting(std::u16string_view name) {
    const RegistryValue* value = registry.FindValue(RegistryRoot::CurrentUser, kSettingsKey, name);
    return value == nullptr || value->data.size() != 4
               ? 0xFFFFFFFFu
               : static_cast<std::uint32_t>(value->data[0] | value->data[1] << 8);
  }

  Log log;
  FakeConfigPlatform fakes;
  // Windows 10, before the core asks which start-at-logon entry to use.
  bool onWindows10 = [this] {
    fakes.systemFacts.versionFacts.versionQueryOk = true;
    fakes.systemFacts.versionFacts.major = 10;
    return true;
  }();
  FakeRegistry registry;
  FakeClock clock;
  FakeModuleResources resources;
  FakeConnection connection;
  FakeInternet internet;
  ScriptedRandom random;
  FakeWideEnvironment wideEnvironment;
  FakeWholeFiles files;
  FakeResolver resolver;
  FakeUrlZones zones;
  FakeSslCacheLibraries sslCache;
  FakeCertificateStores certificateStores;
  FakeLogonTasks tasks{log};
  LoggingLinks links{log};
  FakeFileView fileView;
  FakeFileStore fileStore;
  FakeUsbDriver usb;
  FakeProcessLauncher launcher;
  FakeModuleLoader modules;
  FakeProgramFolder programFolder;
  FakeCodeSignatures signatures{CodeSignature{}};
  FakeTimerService timers;
  LoggingPage page{log};
  FakeScriptedPrompts prompts;
  LoggingWindow window{log};
  ProgramCore core{
      ProgramPlatform{registry, clock, fakes.codePages, fakes.fileSystem, fakes.environment,
                      fakes.systemFacts, resources, connection, internet, random,
                      wideEnvironment, files, resolver, zones, sslCache, certificateStores,
                      tasks, links, fileView, fileView, fileView, fileStore, fileStore, usb,
                      launcher, modules, programFolder, signatures, u"C:\\Program Files\\Tessaly\\Tessaly.exe", u"Tessaly"},
      ProgramHost{timers, page, prompts, window}};
  // The repair the core binds itself, kept before the logging stand-in replaces it.
  std::function<void()> coreEnrolmentRepair;
};

TEST_F(ProgramCoreTest, TheCoreRepairsTheEnrolmentControlsWithItsOwnServices) {
  wideEnvironment.variables.variables["SystemRoot"] = "C:\\Windows";
  fileView.entries[u"C:\\Windows\\System32\\CertEnroll.dll"] = {};
  fileView.entries[u"C:\\Windows\\System32\\CertEnrollCtrl.exe"] = {};
  prompts.QueueAnswer(YesNoAnswer::Yes);
  coreEnrolmentRepair();
  EXPECT_EQ(prompts.Calls(), std::vector<PromptCall>{PromptCall::YesNo(156, 0, 157, 158)});
  const std::vector<FakeProcessLauncher::Launch> launches = {
      {u"regedit /s \"C:\\Program Files\\Tessaly\\certenroll.reg\"", true}};
  EXPECT_EQ(launcher.Launches(), launches);
  EXPECT_TRUE(log.Take().empty());
}

struct MethodStep {
  const char16_t* name;
  std::vector<MethodArgument> arguments;
  std::vector<std::string> log;
  std::int32_t result = 0;
};

// One session of page calls, in order, with what each did outside the core.
TEST_F(ProgramCoreTest, EveryPageMethodReachesItsPart) {
  const std::vector<MethodStep> session = {
      {u"getFirst", {}, {}, 1},
      {u"Checking", {}, {}},
      {u"setFirst", {0}, {}},
      {u"getFirst", {}, {}, 0},
      // The first-run question asked for a check: the key kind starts it.
      {u"setusertype", {3},
       {"setUserTypeUI()", "setState(0,0,0)", "setState(0,4,\"1970-01-01 00:00:00\")",
        "setState(0,2,1000)"}},
      {u"getusertype", {}, {}, 3},
      {u"setupdatetype", {2}, {}},
      {u"setupdatetype", {3}, {}},
      {u"setupdatetype", {-1}, {}},
      {u"getupdatetype", {}, {}, 2},
      {u"setclosetype", {7}, {}},
      {u"getclosetype", {}, {}, 1},
      {u"exit", {}, {"window.Close"}},
      {u"setclosetype", {0}, {}},
      {u"exit", {}, {"window.Hide"}},
      {u"getwithwindows", {}, {}, 0},
      {u"setwithwindows", {1}, {"task.Create(Tessaly,C:\\Program Files\\Tessaly\\Tessaly.exe)"}},
      {u"setwithwindows", {1}, {}},
      {u"getwithwindows", {}, {}, 1},
      {u"setwithwindows", {0}, {"task.Delete(Tessaly)"}},
      {u"getwithwindows", {}, {}, 0},
      {u"mini", {}, {"window.Minimise"}},
      {u"messageBox", {u"文本", u"标题"}, {"window.ShowMessage(文本,标题)"}},
      {u"openurl", {u"https://ebank.quaymark.example/"}, {"open(https://ebank.quaymark.example/)"}},
      {u"install", {5}, {"install(5)"}},
      {u"installandfix", {}, {"installAndFix()"}},
      {u"checkUkeySimple", {}, {"probeUsbKey()"}},
      {u"update", {}, {"update()"}},
      {u"checkAndFixCertEnroll", {}, {"checkAndFixCertEnroll()"}},
      {u"downloadingBox", {1, u"t", u"x"}, {"downloadingBox(1,t,x)"}},
      {u"stop", {9}, {}},
      {u"site", {}, {}},
      // A check is running (the one setusertype started): a second is ignored.
      {u"check", {0}, {}},
  };
  registry.SetValue(RegistryRoot::CurrentUser, kSettingsKey, u"isFirst",
                    RegistryValue{RegistryType::Dword, {1, 0, 0, 0}});
  for (const MethodStep& step : session) {
    SCOPED_TRACE(Narrow(step.name));
    const ExternalMethod* method = FindExternalMethod(step.name);
    ASSERT_NE(method, nullptr);
    std::int32_t result = -99;
    EXPECT_TRUE(core.Call(*method, step.arguments, &result));
    EXPECT_EQ(log.Take(), step.log);
    if (method->returnsInteger) {
      EXPECT_EQ(result, step.result);
    }
  }
  EXPECT_EQ(Setting(u"UserType"), 3u);
  EXPECT_EQ(Setting(u"isFirst"), 0u);
  EXPECT_TRUE(core.state().completionNotice);
  EXPECT_TRUE(core.state().checkAfterUserType);
}

TEST_F(ProgramCoreTest, UserTypeOneWithoutTheQuestionInstallsItemFour) {
  const MethodArgument one[] = {1};
  EXPECT_TRUE(core.Call(*FindExternalMethod(kSetUserType), one));
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"setUserTypeUI()", "install(4)"}));
}

TEST_F(ProgramCoreTest, WrongCountOrTypeRunsNothing) {
  const MethodArgument text[] = {std::u16string(u"1")};
  const MethodArgument two[] = {1, 2};
  EXPECT_FALSE(core.Call(*FindExternalMethod(kSetCloseType), text));
  EXPECT_FALSE(core.Call(*FindExternalMethod(kSetCloseType), two));
  EXPECT_FALSE(core.Call(*FindExternalMethod(kExit), two));
  EXPECT_FALSE(core.Call(*FindExternalMethod(kSetCloseType), {}));
  EXPECT_TRUE(log.Take().empty());
  EXPECT_EQ(Setting(u"CloseType"), 0u);
}

TEST_F(ProgramCoreTest, ZoneZeroSwitchFollowsCheatRegistryAndGoesWhenThePageHasLoaded) {
  const MethodArgument on[] = {true};
  const MethodArgument off[] = {false};
  core.Call(*FindExternalMethod(kCheatRegistry), on);
  const RegistryValue* value = registry.FindValue(RegistryRoot::CurrentUser, kZoneZero, u"1201");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(*value, (RegistryValue{RegistryType::Dword, {0, 0, 0, 0}}));
  core.Call(*FindExternalMethod(kCheatRegistry), off);
  EXPECT_EQ(registry.FindValue(RegistryRoot::CurrentUser, kZoneZero, u"1201"), nullptr);
  core.Call(*FindExternalMethod(kCheatRegistry), off);  // a missing value is no error
  core.Call(*FindExternalMethod(kCheatRegistry), on);
  core.OnPageLoaded();
  EXPECT_EQ(registry.FindValue(RegistryRoot::CurrentUser, kZoneZero, u"1201"), nullptr);
}

struct TrayCase {
  std::uint32_t command;
  std::uint32_t userType;
  std::vector<std::string> log;
};

// The update worker closes the program through a timer, so the window is closed on the GUI
// thread; the timer fires once.
TEST_F(ProgramCoreTest, TheUpdatesClosingTimerClosesTheWindowOnce) {
  timers.SetHandler([this](int id) { core.OnTimer(id); });
  timers.Arm(kTimerCloseForUpdate, 0);
  timers.RunUntilIdle();
  EXPECT_EQ(log.Take(), std::vector<std::string>{"window.Close"});
  EXPECT_EQ(timers.Fired(), std::vector<int>{kTimerCloseForUpdate});
}

TEST_F(ProgramCoreTest, TrayCommandsRestoreTheWindowAndDriveThePage) {
  const std::vector<TrayCase> cases = {
      {kTrayWizard, 3, {"window.Restore", "ShowDivc(1)"}},
      {kTrayRecheck, 0, {"window.Restore", "ShowDivc(1)"}},
      {kTrayQuickLinks, 2, {"window.Restore", "setTab(one,5,5)"}},
      {kTrayRecheck, 4,
       {"window.Restore", "setTab(one,1,5)", "setState(0,0,0)",
        "setState(0,4,\"1970-01-01 00:00:00\")", "setState(0,2,1000)"}},
      {kTrayExit, 4, {"window.Close"}},
      {12345, 4, {}},
  };
  for (const TrayCase& c : cases) {
    SCOPED_TRACE(c.command);
    core.settings().WriteDword(kUserType, c.userType);
    core.OnTrayCommand(c.command);
    EXPECT_EQ(log.Take(), c.log);
  }
}

}  // namespace
}  // namespace tessaly
