#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "diagnosis/ComponentBindings.h"
#include "diagnosis/ComponentInstaller.h"
#include "diagnosis/ItemState.h"
#include "platform/RegistryValues.h"
#include "tests/diagnosis/DiagnosisHarness.h"
#include "tests/fakes/FakeCodePages.h"
#include "tests/fakes/FakeCodeSignatures.h"
#include "tests/fakes/FakeFileStore.h"
#include "tests/fakes/FakeFileView.h"
#include "tests/fakes/FakeInternet.h"
#include "tests/fakes/FakeProcessLauncher.h"
#include "tests/fakes/FakeUsbDriver.h"
#include "tests/fakes/FakeWideEnvironment.h"

namespace tessaly {
namespace {

constexpr char kClsid[] = "{21089D52-1FDE-4CF2-8C82-B5E783672504}";
constexpr char16_t kAddonKey[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\"
    u"{21089D52-1FDE-4CF2-8C82-B5E783672504}";

ComponentItem Item(std::string type, std::uint32_t state, std::string className = "") {
  return {.type = std::move(type),
          .className = std::move(className),
          .installers = {{.url = "http://dl/" + std::to_string(state) + ".exe", .command = "%1",
                          .localPath = "C:\\t\\setup.exe"}},
          .state = state};
}

// The GUI side of the installs over the diagnosis harness, with a worker that only counts
// its starts, so that the queue can be looked at.
class ComponentInstallerTest : public testing::Test {
 protected:
  // The item numbers of the queued jobs, emptying the queue.
  std::vector<int> TakeQueuedItems() {
    std::vector<int> numbers;
    while (const std::optional<InstallJob> job = queue.Front()) {
      numbers.push_back(job->itemIndex + 1);
      queue.RemoveFront(false);
    }
    return numbers;
  }
  std::size_t Starts() {
    thread.WaitForEnded();
    return starts.load();
  }

  DiagnosisHarness h;
  FakeCodePages codePages;
  FakeWideEnvironment environment;
  FakeFileView view;
  FakeFileStore store;
  FakeUsbDriver usb;
  ComponentPlatform platform{h.fakeRegistry, codePages, environment, view, view, view, store, usb};
  InstallQueue queue;
  std::atomic<std::size_t> starts{0};
  InstallThread thread{queue, [this] { ++starts; }};
  ComponentInstaller installer{{h.config, h.state, h.operations, h.timers, h.page, h.settings,
                                h.prompts},
                               platform, queue, thread};
};

TEST_F(ComponentInstallerTest, QueuesTheJobsOfOneItemUnlessItIsCurrent) {
  h.config.items = {Item("ActiveX", 5), Item("ActiveX", 5), Item("ActiveX", 0),
                    Item("ActiveX", kItemStateNotDetected),
                    ComponentItem{.type = "ActiveX",
                                  .files = {{.localPath = "C:\\a.ocx", .url = "http://dl/a.ocx",
                                             .md5 = "00", .install = "regserver"},
                                            {.localPath = "C:\\b.dll"}},
                                  .state = 1}};
  h.config.items[1].installers.push_back({.url = "http://dl/2.exe", .command = "%1 /S",
                                          .localPath = "C:\\t\\2.exe", .md5 = "11"});
  installer.install(3);
  installer.install(4);
  EXPECT_EQ(h.timers.ArmedIds(), std::vector<int>{});
  installer.install(2);
  EXPECT_EQ(h.timers.ArmedDelay(4), 0u);
  EXPECT_EQ(TakeQueuedItems(), (std::vector<int>{2, 2}));
  installer.install(5);
  std::vector<InstallJob> jobs;
  while (const std::optional<InstallJob> job = queue.Front()) {
    jobs.push_back(*job);
    queue.RemoveFront(false);
  }
  EXPECT_EQ(jobs, (std::vector<InstallJob>{
                      {.itemIndex = 4, .url = "http://dl/a.ocx", .localPath = "C:\\a.ocx",
                       .md5 = "00", .run = {.installType = "regserver", .installedFilePath = "C:\\a.ocx"}}}))
      << "a file without an address is only checked: no job";
  h.timers.Cancel(4);
  installer.install(6);
  installer.install(-1);
  EXPECT_EQ(h.timers.ArmedDelay(4), 0u);
  EXPECT_TRUE(queue.Empty());
  // Offline nothing was started: the jobs wait for an enqueue with a connection.
  EXPECT_EQ(Starts(), 0u);
}

TEST_F(ComponentInstallerTest, InstallAllFollowsTheUserType) {
  h.config.items = {Item("ActiveX", 5),          Item("ActiveX", 5),
                    Item("driver", 5, "CWoqiUSBKey"), Item("driver", 2, "CFeitianUSBKey"),
                    Item("UActiveX", 4, "CFeitianUSBKey"), Item("UkeyActiveX", 5, "CWoqiUSBKey")};
  const struct {
    std::uint32_t userType;
    std::vector<int> items;
  } cases[] = {{2, {2, 6}}, {3, {2, 3, 6}}, {5, {2, 4, 5, 6}}, {0, {2, 6}}};
  for (const auto& c : cases) {
    h.SetUserType(c.userType);
    installer.install(0);
    EXPECT_EQ(TakeQueuedItems(), c.items) << c.userType;
    EXPECT_EQ(h.timers.ArmedDelay(4), 0u);
  }
}

TEST_F(ComponentInstallerTest, ReenablesADisabledControlAndIgnoresCallsWhileAWorkerRuns) {
  h.config.items = {Item("ActiveX", 5), Item("ActiveX", kItemStateMissingInstallable | kItemDisabledInBrowser)};
  h.config.items[1].detects = {{.text = kClsid, .type = "clsid"}, {.text = "x", .type = "file"}};
  h.fakeRegistry.SetValue(RegistryRoot::CurrentUser, kAddonKey, u"Flags", DwordValue(1));
  h.state.installing.store(true);
  installer.install(2);
  installer.install(0);
  EXPECT_TRUE(queue.Empty());
  EXPECT_TRUE(h.fakeRegistry.KeyExists(RegistryRoot::CurrentUser, kAddonKey));

  h.state.installing.store(false);
  installer.install(2);
  EXPECT_FALSE(h.fakeRegistry.KeyExists(RegistryRoot::CurrentUser, kAddonKey));
  EXPECT_NE(h.config.items[1].state & kItemDisabledInBrowser, 0u);
  EXPECT_EQ(TakeQueuedItems(), std::vector<int>{2});
}

TEST_F(ComponentInstallerTest, StartsOneWorkerWhenOnlineAndArmsTheProgress) {
  h.config.items = {Item("ActiveX", 5), Item("ActiveX", 5), Item("ActiveX", 5)};
  h.config.networkOk = true;
  installer.install(2);
  EXPECT_EQ(Starts(), 1u);
  EXPECT_TRUE(h.state.installing.load());
  EXPECT_EQ(h.timers.ArmedDelay(3), 500u);
  installer.install(3);  // ignored: the worker (which never ends here) runs
  h.state.installing.store(false);
  installer.install(3);  // queued behind the running worker's job
  EXPECT_EQ(Starts(), 1u);
  EXPECT_EQ(TakeQueuedItems(), (std::vector<int>{2, 3}));
}

TEST_F(ComponentInstallerTest, InstallAndFixRepairsThenInstallsThenEnablesTheFirstItem) {
  h.MakeConfigReady();
  h.SetAllFlags(true);
  h.SetUserType(3);
  h.config.items = {Item("ActiveX", kItemStateCurrent | kItemDisabledInBrowser), Item("ActiveX", 5)};
  h.config.items[0].detects = {{.text = kClsid, .type = "clsid"}};
  h.fakeRegistry.SetValue(RegistryRoot::CurrentUser, kAddonKey, u"Flags", DwordValue(1));

  h.state.checking = true;
  installer.installandfix();
  EXPECT_TRUE(h.page.Take().empty());
  EXPECT_TRUE(h.log.empty());
  EXPECT_TRUE(queue.Empty());

  h.state.checking = false;
  installer.installandfix();
  EXPECT_EQ(h.page.Take(), (std::vector<PageCall>{Status(2999), Verdict(2),
                                                  PageCall::SetState(2, 1, 0)}));
  EXPECT_EQ(h.log, (std::vector<std::string>{"sslCacheClear"}));
  EXPECT_EQ(TakeQueuedItems(), std::vector<int>{2});
  EXPECT_EQ(h.config.items[0].state, 0u);
  EXPECT_FALSE(h.fakeRegistry.KeyExists(RegistryRoot::CurrentUser, kAddonKey));
}

// Disabled controls are installed by the repair that re-enables them; the install-all that
// follows must still come to every other missing item, and queue none twice, whether the
// repair's own install started the worker (online) or left the jobs waiting (offline).
TEST_F(ComponentInstallerTest, InstallAndFixQueuesEveryMissingComponentOfTheKeyTypeOnce) {
  h.operations.install = [this](std::int32_t number) { installer.install(number); };
  h.MakeConfigReady();
  h.SetUserType(3);
  for (const bool online : {true, false}) {
    SCOPED_TRACE(online ? "online" : "offline");
    h.SetAllFlags(true);
    h.config.networkOk = online;
    h.state.installing.store(false);
    h.config.items = {Item("ActiveX", 0), Item("ActiveX", 5 | kItemDisabledInBrowser),
                      Item("driver", 5 | kItemDisabledInBrowser, "CWoqiUSBKey"),
                      Item("ActiveX", 5), Item("driver", 5, "CFeitianUSBKey"),
                      Item("UActiveX", 4, "CWoqiUSBKey")};
    const std::size_t startsBefore = Starts();
    installer.installandfix();
    EXPECT_EQ(TakeQueuedItems(), (std::vector<int>{2, 3, 4, 6}));
    EXPECT_EQ(Starts() - startsBefore, online ? 1u : 0u);
  }
  // A worker that ran before the click still refuses the installs, as `install` does.
  h.config.items = {Item("ActiveX", 0), Item("ActiveX", 5)};
  h.state.installing.store(true);
  installer.installandfix();
  EXPECT_TRUE(queue.Empty());
}

// The binder with the real worker thread over fakes: an install reaches the worker, the
// download lands, the installer runs with its quoted path, and the final step is armed.
TEST(ComponentBindingsTest, BindsDetectionReportAndInstallsToTheRealWorker) {
  DiagnosisHarness h;
  FakeCodePages codePages;
  FakeWideEnvironment environment;
  FakeFileView view;
  FakeFileStore store;
  FakeUsbDriver usb;
  FakeInternet internet;
  FakeProcessLauncher launcher;
  PermissiveCodeGate code{store};
  internet.responses[u"http://dl/setup.exe"] = FakeResponse::Ok("MZ");
  h.config.networkOk = true;
  h.config.items = {Item("ActiveX", 5),
                    ComponentItem{.type = "ActiveX",
                                  .tips = "1.0",
                                  .detects = {{.text = "C:\\t\\setup.exe", .type = "file"}},
                                  .installers = {{.url = "http://dl/setup.exe", .command = "%1 /S",
                                                  .localPath = "C:\\t\\setup.exe"}}}};
  ComponentBindings bindings({h.config, h.state, h.operations, h.timers, h.page, h.settings, h.prompts},
                             {h.fakeRegistry, codePages, environment, view, view, view, store, usb},
                             {internet, store, store, codePages, launcher, code.gate});
  bindings.BindTo(h.operations);

  h.operations.detectItems(h.config.items);
  EXPECT_EQ(h.config.items[1].state, kItemStateMissingInstallable);
  h.operations.install(2);
  for (int i = 0; i < 500 && bindings.InstallsPending(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_FALSE(bindings.InstallsPending());
  EXPECT_EQ(launcher.Launches(),
            (std::vector<FakeProcessLauncher::Launch>{{u"\"C:\\t\\setup.exe\" /S", true}}));
  EXPECT_EQ(*store.Find(u"C:\\t\\setup.exe"), "MZ");
  EXPECT_EQ(h.timers.ArmedDelay(4), 0u);
  EXPECT_EQ(h.timers.ArmedDelay(6), 0u);
  EXPECT_EQ(h.state.installStatus.load(), 1);

  view.entries[u"C:\\t\\setup.exe"] = {};
  h.operations.detectItems(h.config.items);
  h.operations.reportItem(2);
  EXPECT_EQ(h.page.Take(), std::vector<PageCall>{PageCall::SetState(2, 2, u"1.0")});
  h.state.checking = true;
  h.operations.installAndFix();
  EXPECT_TRUE(h.page.Take().empty());
}

}  // namespace
}  // namespace tessaly
