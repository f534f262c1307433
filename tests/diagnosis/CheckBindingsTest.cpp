#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "diagnosis/CheckBindings.h"
#include "tests/fakes/FakeCertificateStores.h"
#include "tests/fakes/FakeCodePages.h"
#include "tests/fakes/FakeInternet.h"
#include "tests/fakes/FakeModuleResources.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeResolver.h"
#include "tests/fakes/FakeSslCacheLibraries.h"
#include "tests/fakes/FakeUrlZones.h"
#include "tests/fakes/FakeWholeFiles.h"
#include "tests/fakes/FakeWideEnvironment.h"
#include "tests/fakes/ScriptedRandom.h"

namespace tessaly {
namespace {

class FakeConnection final : public ConnectionState {
 public:
  bool connected = true;
  bool IsConnected() const override { return connected; }
};

const std::u16string kHostsPath = u"C:\\Windows\\system32\\drivers\\etc\\hosts";
constexpr char16_t kPolicyKey[] = u"SOFTWARE\\Policies\\Microsoft\\Internet Explorer\\Control Panel";

// The bindings over fakes of every platform service, on a PC where each check has something
// to find, so that an entry bound to the wrong check (or not at all) shows.
class CheckBindingsTest : public testing::Test {
 protected:
  CheckBindingsTest() {
    environment.variables.variables["windir"] = "C:\\Windows";
    config.groups = {
        ConfigGroup{.type = "host", .entries = {{.text = "ebank.quaymark.example"}}},
        ConfigGroup{.type = "dns",
                    .entries = {{.text = "ebank.quaymark.example", .value = "198.51.100.20"}}},
        ConfigGroup{.type = "service", .entries = {{.text = "https://ebank.quaymark.example/"}}},
        ConfigGroup{.type = "trust", .entries = {{.text = "https://ebank.quaymark.example"}}},
    };
    bindings.BindTo(operations);
  }

  void WaitForServiceCheck() {
    for (int i = 0; i < 500 && !config.serviceDone.load(std::memory_order_acquire); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(config.serviceDone.load(std::memory_order_acquire));
  }

  CheckConfig config;
  FakeRegistry registry;
  FakeCodePages codePages;
  ScriptedRandom random;
  FakeWideEnvironment environment;
  FakeWholeFiles files;
  FakeResolver resolver;
  FakeInternet internet;
  FakeConnection connection;
  FakeUrlZones zones;
  FakeSslCacheLibraries sslCache;
  FakeCertificateStores certificateStores;
  FakeModuleResources resources;
  DiagnosisOperations operations;
  CheckBindings bindings{config,
                         CheckPlatform{registry, codePages, random, environment, files, resolver,
                                       internet, connection, zones, sslCache, certificateStores,
                                       resources}};
};

TEST_F(CheckBindingsTest, PolicyChecksMeasureAndRepairTheRegistry) {
  registry.SetValue(RegistryRoot::CurrentUser, kPolicyKey, u"Homepage",
                    RegistryValue{RegistryType::Dword, {1, 0, 0, 0}});
  EXPECT_FALSE(operations.homePageCheck(false));
  EXPECT_TRUE(operations.homePageCheck(true));
  EXPECT_EQ(registry.FindValue(RegistryRoot::CurrentUser, kPolicyKey, u"Homepage"), nullptr);

  registry.SetValue(RegistryRoot::CurrentUser,
                    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                    u"Disableregistrytools", RegistryValue{RegistryType::Dword, {2, 0, 0, 0}});
  EXPECT_FALSE(operations.registryCheck(false));
  EXPECT_TRUE(operations.registryCheck(true));
  EXPECT_TRUE(operations.registryCheck(false));
}

TEST_F(CheckBindingsTest, HostsCheckReadsAndRepairsTheHostsFile) {
  files.files[kHostsPath] = "10.9.8.7 ebank.quaymark.example\r\n";
  EXPECT_FALSE(operations.hostsCheck(false));
  EXPECT_TRUE(operations.hostsCheck(true));
  // The line goes with the blank line the check appends: one line break remains.
  EXPECT_EQ(files.files.at(kHostsPath), "\r\n");
}

TEST_F(CheckBindingsTest, DnsCheckAsksTheResolver) {
  EXPECT_FALSE(operations.dnsCheck());
  resolver.names["ebank.quaymark.example"] = {Ipv4Address{198, 51, 100, 20}};
  EXPECT_TRUE(operations.dnsCheck());
}

TEST_F(CheckBindingsTest, ZoneAndTrustChecksGoThroughTheZoneServices) {
  zones.state().zones[kInternetZone] = {.currentLevel = 0x11000, .recommendedLevel = 0x12000};
  EXPECT_FALSE(operations.zoneLevelsCheck(false));
  EXPECT_TRUE(operations.zoneLevelsCheck(true));
  EXPECT_EQ(zones.state().zones[kInternetZone].currentLevel, 0x12000u);

  EXPECT_FALSE(operations.trustedSitesCheck(false));
  operations.trustedSitesCheck(true);
  EXPECT_TRUE(operations.trustedSitesCheck(false));
}

TEST_F(CheckBindingsTest, SslCacheAndRootCertificatesUseTheirServices) {
  EXPECT_TRUE(operations.sslCacheClear());
  sslCache.script().incrementFails = true;
  EXPECT_FALSE(operations.sslCacheClear());

  // Nothing in the stores and nothing carried: not present, and nothing can be added.
  EXPECT_LT(operations.rootCertificateCheck(), 0);
  EXPECT_LT(operations.rootCertificateInstall(), 0);
  EXPECT_FALSE(certificateStores.searches.empty());
}

TEST_F(CheckBindingsTest, ServiceWorkerProbesOnItsOwnThreadAndConnectionIsAsked) {
  internet.responses[u"https://ebank.quaymark.example/"] = FakeResponse::Ok("welcome");
  EXPECT_TRUE(operations.startServiceWorker());
  WaitForServiceCheck();
  EXPECT_TRUE(config.serviceOk.load());

  config.serviceDone.store(false);
  internet.responses.clear();
  EXPECT_TRUE(operations.startServiceWorker());
  WaitForServiceCheck();
  EXPECT_FALSE(config.serviceOk.load());

  EXPECT_TRUE(operations.isConnected());
  connection.connected = false;
  EXPECT_FALSE(operations.isConnected());
}

}  // namespace
}  // namespace tessaly
