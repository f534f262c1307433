// The default document as the native build embeds it; on Windows the same document is
// loaded through the real resource API by the Windows tests.
#ifndef _WIN32

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/CheckItemsParser.h"
#include "platform/native/EmbeddedResources.h"
#include "tests/config/FakeConfigPlatform.h"
#include "tests/config/ModelPrinting.h"

namespace tessaly {
namespace {

using testing::ElementsAre;
using testing::SizeIs;

constexpr std::string_view kWatchdataFolder =
    "%SystemRoot%\\system32\\WatchData\\Watchdata CSP v3.3\\";

bool IsLowerHexDigest(std::string_view text) {
  return text.size() == 32 && std::ranges::all_of(text, [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

std::vector<std::string> GroupTypes(const CheckConfig& config) {
  std::vector<std::string> types;
  for (const ConfigGroup& group : config.groups) {
    types.push_back(group.type);
  }
  return types;
}

class DefaultDocumentTest : public testing::Test {
 protected:
  DefaultDocumentTest() {
    fakes.environment.variables = {{"SystemRoot", "C:\\WINDOWS"},
                                   {"ProgramFiles", "C:\\Program Files (x86)"}};
  }

  std::string Document() const {
    return EmbeddedResources().LoadResourceBytes("item.xml", kResourceTypeHtml);
  }

  FakeConfigPlatform fakes;
  CheckConfig config;
};

TEST_F(DefaultDocumentTest, IsUtf8WithAByteOrderMarkAndIsAccepted) {
  const std::string document = Document();
  ASSERT_TRUE(document.starts_with("\xEF\xBB\xBF"));
  ASSERT_TRUE(ParseCheckItems(config, document, fakes.platform));
  EXPECT_TRUE(config.configReady.load());
  EXPECT_TRUE(config.base.starts_with("http://"));
  EXPECT_TRUE(config.base.ends_with("/wydown/ocx/"));
}

TEST_F(DefaultDocumentTest, HoldsOneGroupOfEachTypeWithTheRegistryValuesEveryDeploymentSets) {
  ASSERT_TRUE(ParseCheckItems(config, Document(), fakes.platform));
  EXPECT_THAT(GroupTypes(config),
              ElementsAre("compatibility", "registry", "service", "dns", "host", "trust"));
  EXPECT_THAT(FindGroup(config, "compatibility")->entries, SizeIs(2));
  EXPECT_THAT(FindGroup(config, "service")->entries, SizeIs(1));
  EXPECT_TRUE(FindGroup(config, "service")->entries[0].text.starts_with("https://"));
  EXPECT_THAT(FindGroup(config, "host")->entries, SizeIs(3));
  EXPECT_THAT(FindGroup(config, "trust")->entries, SizeIs(3));

  const std::vector<ConfigEntry>& dns = FindGroup(config, "dns")->entries;
  ASSERT_THAT(dns, SizeIs(2));
  EXPECT_EQ(dns[0].text, dns[1].text);
  EXPECT_NE(dns[0].value, dns[1].value);
  for (const ConfigEntry& entry : dns) {
    EXPECT_FALSE(entry.value.empty());
    EXPECT_EQ(entry.value.find('|'), std::string::npos) << "one address per entry";
  }

  const std::string schannel =
      "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\SecurityProviders\\SCHANNEL";
  const std::string zone2 =
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet "
      "Settings\\Zones\\2";
  EXPECT_THAT(
      FindGroup(config, "registry")->entries,
      ElementsAre(
          ConfigEntry{
              .text = schannel, .name = "DisableRenegoOnClient", .type = "reg_dword", .value = "0"},
          ConfigEntry{
              .text = schannel, .name = "DisableRenegoOnServer", .type = "reg_dword", .value = "0"},
          ConfigEntry{.text = zone2, .name = "1208", .type = "reg_dword", .value = "0"},
          ConfigEntry{.text = zone2, .name = "1201", .type = "reg_dword", .value = "3"}));
}

TEST_F(DefaultDocumentTest, HoldsTheThreeBrowserControlsAndTheWatchdataDriver) {
  ASSERT_TRUE(ParseCheckItems(config, Document(), fakes.platform));
  ASSERT_THAT(config.items, SizeIs(4));
  EXPECT_TRUE(config.components.empty());
  struct Row {
    std::string_view name;
    std::string_view tips;
    std::string_view type;
    std::string_view className;
  };
  const Row rows[] = {{"网银防钓鱼控件", "1.0.0.0", "ActiveX", ""},
                      {"安全控件", "1.0.0.3", "ActiveX", ""},
                      {"签名控件", "2.3.1.4", "ActiveX", ""},
                      {"握奇USBKey驱动", "3.3.9", "driver", "CWoqiUSBKey"}};
  for (std::size_t i = 0; i < config.items.size(); ++i) {
    const ComponentItem& item = config.items[i];
    EXPECT_EQ(item.name, rows[i].name);
    EXPECT_EQ(item.tips, rows[i].tips);
    EXPECT_EQ(item.type, rows[i].type);
    EXPECT_EQ(item.className, rows[i].className);
    EXPECT_EQ(item.state, kItemStateNotDetected);
  }

  EXPECT_THAT(
      config.items[0].detects,
      ElementsAre(DetectRule{.text = "{21089D52-1FDE-4CF2-8C82-B5E783672504}", .type = "clsid"}));
  EXPECT_TRUE(config.items[0].files.empty());

  const ComponentItem& secure = config.items[1];
  ASSERT_THAT(secure.detects, SizeIs(3));
  EXPECT_EQ(secure.detects[0],
            (DetectRule{.text = "{7867B2A0-9B97-475B-A24E-9214874414A7}", .type = "clsid"}));
  for (std::size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(secure.detects[i].type, "file");
    EXPECT_TRUE(secure.detects[i].text.starts_with("%SystemRoot%\\system32\\"))
        << secure.detects[i].text;
  }
  ASSERT_THAT(secure.files, SizeIs(1));
  EXPECT_EQ(secure.files[0].version, "1.0.0.1");
  EXPECT_TRUE(secure.files[0].localPath.starts_with("C:\\WINDOWS\\system32\\"))
      << secure.files[0].localPath;

  const ComponentItem& sign = config.items[2];
  ASSERT_THAT(sign.detects, SizeIs(1));
  EXPECT_EQ(sign.detects[0].type, "file");
  EXPECT_TRUE(sign.detects[0].text.starts_with("%ProgramFiles%\\")) << sign.detects[0].text;
  EXPECT_TRUE(sign.files.empty());
}

TEST_F(DefaultDocumentTest, TheDriverChecksNineteenFilesAndKeepsThreeCurrent) {
  ASSERT_TRUE(ParseCheckItems(config, Document(), fakes.platform));
  ASSERT_THAT(config.items, SizeIs(4));
  const ComponentItem& driver = config.items[3];
  ASSERT_THAT(driver.detects, SizeIs(19));
  std::vector<std::string> detectedPaths;
  for (const DetectRule& rule : driver.detects) {
    EXPECT_EQ(rule.type, "file");
    EXPECT_TRUE(rule.text.starts_with(kWatchdataFolder)) << rule.text;
    EXPECT_GT(rule.text.size(), kWatchdataFolder.size());
    detectedPaths.push_back(rule.text);
  }
  std::ranges::sort(detectedPaths);
  EXPECT_EQ(std::ranges::adjacent_find(detectedPaths), detectedPaths.end())
      << "a file is listed twice";

  const std::string installedFolder = "C:\\WINDOWS\\system32\\WatchData\\Watchdata CSP v3.3\\";
  ASSERT_THAT(driver.files, SizeIs(3));
  const std::string names[] = {"hodll.dll", "wdkmgr.dll", "WDCertMND33.exe"};
  const std::string versions[] = {"1.0.0.1", "", ""};
  for (std::size_t i = 0; i < driver.files.size(); ++i) {
    const ItemFile& file = driver.files[i];
    EXPECT_EQ(file.name, names[i]);
    EXPECT_EQ(file.localPath, installedFolder + names[i]);
    EXPECT_EQ(file.version, versions[i]);
    EXPECT_TRUE(IsLowerHexDigest(file.md5)) << file.md5;
  }
}

// Installer texts are bare file names: every installer downloads from the base URL into the
// download folder, on every Windows version.
TEST_F(DefaultDocumentTest, EachItemHasOneInstallerFromTheDownloadServer) {
  for (const unsigned major : {5u, 6u, 10u}) {
    fakes.systemFacts.windowsMajorVersion = major;
    CheckConfig parsed;
    ASSERT_TRUE(ParseCheckItems(parsed, Document(), fakes.platform));
    for (const ComponentItem& item : parsed.items) {
      ASSERT_THAT(item.installers, SizeIs(1)) << item.name << " on Windows " << major;
      const ItemInstaller& installer = item.installers[0];
      const std::string fileName = installer.url.substr(parsed.base.size());
      EXPECT_TRUE(installer.url.starts_with(parsed.base)) << installer.url;
      EXPECT_FALSE(fileName.empty());
      EXPECT_EQ(fileName.find_first_of("/\\:"), std::string::npos) << fileName;
      EXPECT_EQ(installer.command, "%1");
      EXPECT_EQ(installer.localPath, fakes.DownloadFolder() + fileName);
    }
  }
}

TEST_F(DefaultDocumentTest, CarriesTheUpdateRecordOfThisVersion) {
  ASSERT_TRUE(ParseCheckItems(config, Document(), fakes.platform));
  EXPECT_EQ(config.appInfo.version, "1.0.0.3");
  EXPECT_TRUE(config.appInfo.remote.starts_with(config.base)) << config.appInfo.remote;
  const std::string fileName = config.appInfo.remote.substr(config.appInfo.remote.rfind('/') + 1);
  EXPECT_FALSE(fileName.empty());
  EXPECT_EQ(config.appInfo.localPath, fakes.DownloadFolder() + fileName);
}

}  // namespace
}  // namespace tessaly

#endif  // _WIN32
