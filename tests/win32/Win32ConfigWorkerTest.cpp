// The configuration worker end to end: the real registry of the Wine prefix, WinINet
// against the local test server, the module's own default document.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "config/ConfigWorker.h"
#include "platform/RegistryValues.h"
#include "platform/WindowsFacts.h"
#include "platform/win32/Win32CodePages.h"
#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ModuleResources.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32SystemFacts.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WinInetSession.h"
#include "tests/fakes/FakeSystemFacts.h"
#include "tests/win32/TestServer.h"

namespace tessaly::win32 {
namespace {

class Win32ConfigWorkerTest : public TestServerTest {
 protected:
  void SetUp() override {
    TestServerTest::SetUp();
    applicationName = DecodeUtf8(Unique("TessalyWorkerTest"));
    profileKey = u"Software\\Brimvane\\" + applicationName + u"\\Quaymark";
  }

  void TearDown() override {
    // Remove what the test and the worker created, innermost first; the shared parent goes
    // only when nothing else lives under it.
    RegDeleteKeyW(HKEY_CURRENT_USER, AsWide(profileKey));
    const std::u16string applicationKey = u"Software\\Brimvane\\" + applicationName;
    RegDeleteKeyW(HKEY_CURRENT_USER, AsWide(applicationKey));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Brimvane");
  }

  void SetOverride(std::string_view path) {
    auto key = registry.CreateKey(RegistryRoot::CurrentUser, profileKey, RegistryAccess::ReadWrite,
                                  RegistryView::Default);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(WriteString(*key, kConfigUrlValueName, Url(path)), RegistryStatus::Ok);
  }

  void Run(const SystemFacts& facts, std::string_view downloadServer = kDownloadServer) {
    const ConfigPlatform platform{codePages, fileSystem, environment, facts};
    running = true;
    ConfigWorker({internet, registry, resources, platform, applicationName, downloadServer},
                 {config, online, running});
    EXPECT_FALSE(running.load());
  }
  void Run() { Run(systemFacts); }

  std::string FirstItem() const { return config.items.empty() ? "" : config.items[0].name; }

  WinInet internet;
  Win32Registry registry;
  Win32ModuleResources resources;
  Win32CodePages codePages;
  Win32FileSystem fileSystem;
  Win32Environment environment;
  Win32SystemFacts systemFacts;
  std::u16string applicationName;
  std::u16string profileKey;
  CheckConfig config;
  std::atomic<int> online{-1};
  std::atomic<bool> running{false};
};

TEST_F(Win32ConfigWorkerTest, TheOverrideInTheRegistryIsFetched) {
  SetOverride("/wydown/ocx/item_L.xml");
  Run();
  EXPECT_EQ(FirstItem(), "test server document 32");
  EXPECT_TRUE(config.configReady.load());
  EXPECT_EQ(online.load(), 1);
}

// A page that is no check-item document fails like any other download.
TEST_F(Win32ConfigWorkerTest, AnOverrideThatFailsFallsBackToTheEmbeddedDefault) {
  for (const char* path : {"/missing", "/short/4000", "/not-config"}) {
    SetOverride(path);
    CheckConfig fresh;
    const ConfigPlatform platform{codePages, fileSystem, environment, systemFacts};
    ConfigWorker({internet, registry, resources, platform, applicationName},
                 {fresh, online, running});
    ASSERT_EQ(fresh.items.size(), 4u) << path;
    EXPECT_EQ(fresh.items[3].className, "CWoqiUSBKey") << path;
    EXPECT_TRUE(fresh.configReady.load()) << path;
    EXPECT_EQ(online.load(), 0) << path;
  }
}

TEST_F(Win32ConfigWorkerTest, WithoutOverrideTheServerDocumentForThisSystemIsFetched) {
  // The 64-bit Wine prefix is 64-bit Windows of version 6 or later.
  ASSERT_TRUE(IsNative64BitWindows(systemFacts.VersionFacts()));
  Run(systemFacts, Server());
  EXPECT_EQ(FirstItem(), "test server document 64");
  EXPECT_EQ(online.load(), 1);

  FakeSystemFacts windows32;
  windows32.versionFacts = {.versionQueryOk = true, .major = 6, .minor = 1};
  config.items.clear();
  Run(windows32, Server());
  EXPECT_EQ(FirstItem(), "test server document 32");

  // The worker looked the override up, which created its key, but wrote nothing there.
  auto key = registry.OpenKey(RegistryRoot::CurrentUser, profileKey, RegistryAccess::Read,
                              RegistryView::Default);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(ReadString(*key, kConfigUrlValueName, 4096).result, ReadResult::Missing);
}

}  // namespace
}  // namespace tessaly::win32
