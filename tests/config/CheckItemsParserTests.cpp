#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "config/CheckItemsParser.h"
#include "config/DerivedValues.h"
#include "tests/config/FakeConfigPlatform.h"
#include "tests/config/ModelPrinting.h"

namespace tessaly {
namespace {

using testing::ElementsAre;

class CheckItemsParserTest : public testing::Test {
 protected:
  bool Parse(std::string document) {
    return ParseCheckItems(config, std::move(document), fakes.platform);
  }

  FakeConfigPlatform fakes;
  CheckConfig config;
};

// --- documents the parser refuses ------------------------------------------------------

TEST_F(CheckItemsParserTest, RefusedDocumentsLeaveTheConfigurationAsTheCallerLeftIt) {
  config.base = "kept";
  config.groups.push_back(ConfigGroup{.type = "host", .entries = {{.text = "kept.example"}}});
  config.items.push_back(ComponentItem{.name = "kept"});
  config.appInfo.version = "9.9";
  const std::vector<std::string> refused{
      "",
      "no markup at all",
      "<checkitems base=\"x\">",                                     // never ended
      "<checkitems base=\"x\"><config type=\"host\"></checkitems>",  // inner element unended
      "<checkitems base=\"x\"></config></checkitems>",               // lone end tag
      "<checkitems base=\"x\"/><checkitems base=\"y\"/>",            // two roots
      "<config type=\"host\"><entry>a.example</entry></config>",     // another root
      "<CheckItems base=\"x\"/>",                                    // names are case-sensitive
      "<checkitemsx base=\"x\"/>",
  };
  for (const std::string& document : refused) {
    EXPECT_FALSE(Parse(document)) << document;
    EXPECT_FALSE(config.configReady.load()) << document;
    EXPECT_EQ(config.base, "kept");
    EXPECT_THAT(config.groups,
                ElementsAre(ConfigGroup{.type = "host", .entries = {{.text = "kept.example"}}}));
    ASSERT_EQ(config.items.size(), 1u);
    EXPECT_EQ(config.items[0].name, "kept");
    EXPECT_TRUE(config.components.empty());
    EXPECT_EQ(config.appInfo, AppInfo{.version = "9.9"});
  }
  EXPECT_TRUE(fakes.fileSystem.directories.empty());
}

TEST_F(CheckItemsParserTest, RefusesDocumentsWithMoreElementsThanTheBound) {
  auto documentWithElements = [](std::size_t count) {
    std::string document = "<checkitems base=\"b/\">";
    for (std::size_t i = 1; i < count; ++i) {
      document += "<pad/>";
    }
    return document + "</checkitems>";
  };
  EXPECT_FALSE(Parse(documentWithElements(kMaxCheckItemsElements + 1)));
  EXPECT_FALSE(config.configReady.load());
  EXPECT_TRUE(Parse(documentWithElements(kMaxCheckItemsElements)));
}

TEST_F(CheckItemsParserTest, AcceptsAMinimalDocumentAndSetsConfigReady) {
  EXPECT_FALSE(config.configReady.load());
  EXPECT_TRUE(Parse("\xEF\xBB\xBF<?xml version=\"1.0\"?><!-- c --><checkitems base=\"b/\"/>"));
  EXPECT_TRUE(config.configReady.load());
  EXPECT_EQ(config.base, "b/");
  EXPECT_TRUE(config.groups.empty());
  EXPECT_TRUE(config.items.empty());
  EXPECT_TRUE(config.components.empty());
}

// --- groups ----------------------------------------------------------------------------

TEST_F(CheckItemsParserTest, ReadsEachGroupTypesAttributesAndMergesGroupsOfOneType) {
  ASSERT_TRUE(Parse(R"(<checkitems base="http://d.example/">
    <config type="host"><entry>a.example</entry></config>
    <config type="registry">
      <entry name="n" type="reg_dword" value="1" mask="0xF0" ip="x">HKCU\Key</entry>
    </config>
    <item name="between"/>
    <config type="dns">
      <entry name="ebank" ip="192.0.2.1|192.0.2.2" type="t" mask="m">ebank.example</entry>
    </config>
    <config type="Registry"><entry name="n" type="reg_sz" value="v">HKLM\Other</entry></config>
    <config type="host">
      <entry name="ignored">b.example</entry><other>x</other><entry>c.example</entry>
    </config>
    <config><entry ip="x">untyped</entry></config>
  </checkitems>)"));
  EXPECT_THAT(config.groups,
              ElementsAre(ConfigGroup{.type = "host",
                                      .entries = {{.text = "a.example"},
                                                  {.text = "b.example"},
                                                  {.text = "c.example"}}},
                          ConfigGroup{.type = "registry",
                                      .entries = {{.text = "HKCU\\Key",
                                                   .name = "n",
                                                   .type = "reg_dword",
                                                   .value = "1",
                                                   .mask = "0xF0"}}},
                          ConfigGroup{.type = "dns",
                                      .entries = {{.text = "ebank.example",
                                                   .name = "ebank",
                                                   .value = "192.0.2.1|192.0.2.2"}}},
                          ConfigGroup{.type = "Registry", .entries = {{.text = "HKLM\\Other"}}},
                          ConfigGroup{.type = "", .entries = {{.text = "untyped"}}}));
}

TEST_F(CheckItemsParserTest, AddsEntriesToAGroupTheCallerLeftInPlace) {
  config.groups.push_back(
      ConfigGroup{.type = "trust", .entries = {{.text = "https://old.example"}}});
  ASSERT_TRUE(Parse(
      R"(<checkitems base="b/">
        <config type="trust"><entry>https://new.example</entry></config>
      </checkitems>)"));
  EXPECT_THAT(config.groups,
              ElementsAre(ConfigGroup{
                  .type = "trust",
                  .entries = {{.text = "https://old.example"}, {.text = "https://new.example"}}}));
}

TEST_F(CheckItemsParserTest, FindGroupMatchesTheWholeTypeExactly) {
  ASSERT_TRUE(Parse(R"(<checkitems base="b/">
    <config type="host"><entry>a.example</entry></config>
    <config type="dns"><entry ip="192.0.2.1">a.example</entry></config>
  </checkitems>)"));
  const ConfigGroup* dns = FindGroup(config, "dns");
  ASSERT_NE(dns, nullptr);
  EXPECT_EQ(dns, &config.groups[1]);
  EXPECT_EQ(FindGroup(config, "DNS"), nullptr);
  EXPECT_EQ(FindGroup(config, "hos"), nullptr);
  EXPECT_EQ(FindGroup(config, "hosts"), nullptr);
  EXPECT_EQ(FindGroup(config, "trust"), nullptr);
}

// --- items and components --------------------------------------------------------------

TEST_F(CheckItemsParserTest, ReadsAnItemsAttributesAndEachKindOfChildInDocumentOrder) {
  fakes.environment.variables = {{"SystemRoot", "C:\\WINDOWS"}};
  ASSERT_TRUE(Parse(R"(<checkitems base="http://d.example/ocx/">
    <item selectedid="3" name="Driver" type="driver" tips="3.3.9" image="d.png"
          class="CWoqiUSBKey" extra="x">
      <installer command="%1 /S" md5="00112233445566778899aabbccddeeff" sha256="5e">setup.exe</installer>
      <file local="%SystemRoot%\system32\a.dll" install="regserver" remote="a.dll"
            version="1.0.0.1" md5="0123456789abcdef0123456789abcdef" sha256="a1" bit="64">a.dll</file>
      <detect type="clsid" bit="64" version="9">{CLSID-1}</detect>
      <unknown>ignored</unknown>
      <detect type="usbkey">0x1234,5</detect>
      <file remote="https://mirror.example/b.dll">b.dll</file>
      <installer>https://mirror.example/other.exe</installer>
    </item>
  </checkitems>)"));
  ASSERT_EQ(config.items.size(), 1u);
  const ComponentItem& item = config.items[0];
  EXPECT_EQ(item.name, "Driver");
  EXPECT_EQ(item.type, "driver");
  EXPECT_EQ(item.tips, "3.3.9");
  EXPECT_EQ(item.image, "d.png");
  EXPECT_EQ(item.className, "CWoqiUSBKey");
  EXPECT_EQ(item.selectedId, 3);
  EXPECT_EQ(item.state, kItemStateNotDetected);
  EXPECT_THAT(item.detects,
              ElementsAre(DetectRule{.text = "{CLSID-1}", .type = "clsid", .bit = "64"},
                          DetectRule{.text = "0x1234,5", .type = "usbkey"}));
  EXPECT_THAT(item.files, ElementsAre(ItemFile{.name = "a.dll",
                                               .localPath = "C:\\WINDOWS\\system32\\a.dll",
                                               .url = "http://d.example/ocx/a.dll",
                                               .version = "1.0.0.1",
                                               .md5 = "0123456789abcdef0123456789abcdef",
                                               .sha256 = "a1",
                                               .install = "regserver",
                                               .bit = "64"},
                                      ItemFile{.name = "b.dll",
                                               .localPath = fakes.DownloadFolder() + "b.dll",
                                               .url = "https://mirror.example/b.dll"}));
  EXPECT_THAT(item.installers,
              ElementsAre(ItemInstaller{.url = "http://d.example/ocx/setup.exe",
                                        .command = "%1 /S",
                                        .localPath = fakes.DownloadFolder() + "setup.exe",
                                        .md5 = "00112233445566778899aabbccddeeff",
                                        .sha256 = "5e"},
                          ItemInstaller{.url = "https://mirror.example/other.exe",
                                        .localPath = fakes.DownloadFolder() + "other.exe"}));
}

// A file without `local` is downloaded: a relative `remote` is resolved against the base and
// its last segment names the file in the download folder.
TEST_F(CheckItemsParserTest, AFileWithoutALocalPathGetsTheDownloadPathOfItsUrl) {
  ASSERT_TRUE(Parse(R"(<checkitems base="http://d.example/ocx/">
    <item name="x">
      <file remote="sub/dir/tool.dll">tool.dll</file><file local="">none.dll</file>
    </item>
  </checkitems>)"));
  ASSERT_EQ(config.items.size(), 1u);
  ASSERT_EQ(config.items[0].files.size(), 2u);
  EXPECT_EQ(config.items[0].files[0].url, "http://d.example/ocx/sub/dir/tool.dll");
  EXPECT_EQ(config.items[0].files[0].localPath, fakes.DownloadFolder() + "tool.dll");
  // Without a remote there is nothing to download: no URL, and so no path to download to.
  EXPECT_EQ(config.items[0].files[1].url, "");
  EXPECT_EQ(config.items[0].files[1].localPath, "");
}

// An expansion that does not fit the path buffer counts as no local path.
TEST_F(CheckItemsParserTest, ALocalPathTooLongToExpandFallsBackToTheDownloadPath) {
  fakes.environment.variables = {{"Long", std::string(kMaxPathBytes, 'x')}};
  ASSERT_TRUE(Parse(
      R"(<checkitems base="http://d.example/">
        <item><file local="%Long%\a.dll" remote="a.dll">a.dll</file></item>
      </checkitems>)"));
  ASSERT_EQ(config.items.size(), 1u);
  ASSERT_EQ(config.items[0].files.size(), 1u);
  EXPECT_EQ(config.items[0].files[0].localPath, fakes.DownloadFolder() + "a.dll");
}

// A hostile installer name is kept as an installer, but with no place to download to.
TEST_F(CheckItemsParserTest, AnInstallerWhoseNameWouldLeaveTheDownloadFolderHasNoLocalPath) {
  ASSERT_TRUE(Parse(
      R"(<checkitems base="http://d.example/">
        <item><installer command="%1">C:evil.exe</installer></item>
      </checkitems>)"));
  ASSERT_EQ(config.items.size(), 1u);
  EXPECT_THAT(config.items[0].installers,
              ElementsAre(ItemInstaller{.url = "http://d.example/C:evil.exe", .command = "%1"}));
}

TEST_F(CheckItemsParserTest, KeepsOnlyInstallersWhoseConditionHoldsOnTheRunningWindows) {
  const std::string document = R"(<checkitems base="b/"><item>
      <installer>always.exe</installer>
      <installer condition="">empty.exe</installer>
      <installer condition="NT6">nt6.exe</installer>
      <installer condition="NT5">nt5.exe</installer>
      <installer condition="nt6">lower.exe</installer>
      <installer condition="NT6 ">spaced.exe</installer>
      <installer condition="NT10">nt10.exe</installer>
    </item></checkitems>)";
  struct Case {
    unsigned major;
    std::vector<std::string> urls;
  };
  for (const Case& c : {Case{5, {"b/always.exe", "b/empty.exe", "b/nt5.exe"}},
                        Case{6, {"b/always.exe", "b/empty.exe", "b/nt6.exe"}},
                        Case{10, {"b/always.exe", "b/empty.exe", "b/nt6.exe"}}}) {
    fakes.systemFacts.windowsMajorVersion = c.major;
    CheckConfig parsed;
    ASSERT_TRUE(ParseCheckItems(parsed, document, fakes.platform));
    ASSERT_EQ(parsed.items.size(), 1u);
    std::vector<std::string> urls;
    for (const ItemInstaller& installer : parsed.items[0].installers) {
      urls.push_back(installer.url);
    }
    EXPECT_EQ(urls, c.urls) << "Windows major version " << c.major;
  }
}

TEST_F(CheckItemsParserTest, SelectedIdReadsLeadingDecimalDigitsAndSaturates) {
  struct Case {
    std::string text;
    std::int32_t id;
  };
  const std::vector<Case> cases{
      {"12abc", 12},
      {"007", 7},
      {"", 0},
      {"abc", 0},
      {"-5", 0},
      {" 7", 0},
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX},
      {"99999999999999999999", INT32_MAX},
  };
  std::string document = "<checkitems base=\"b/\">";
  for (const Case& c : cases) {
    document += "<item selectedid=\"" + c.text + "\"/>";
  }
  ASSERT_TRUE(Parse(document + "</checkitems>"));
  ASSERT_EQ(config.items.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(config.items[i].selectedId, cases[i].id) << '"' << cases[i].text << '"';
  }
}

// Each kind is read in a pass of its own, so interleaving the kinds changes nothing.
TEST_F(CheckItemsParserTest, ReadsTheSameModelWhateverOrderTheKindsStandIn) {
  const std::string usualOrder = R"(<checkitems base="http://d.example/">
    <config type="host"><entry>a.example</entry></config>
    <config type="trust"><entry>https://a.example</entry></config>
    <item name="one"><detect type="clsid">{1}</detect><installer>one.exe</installer></item>
    <item name="two"><file remote="two.dll">two.dll</file></item>
    <component name="three" type="UActiveX"><installer>three.exe</installer></component>
    <appinfo version="1.0.0.4" remote="http://d.example/setup.exe" md5="m" imperative="1"
             installer="i"/>
  </checkitems>)";
  const std::string shuffled = R"(<checkitems base="http://d.example/">
    <appinfo version="1.0.0.4" remote="http://d.example/setup.exe" md5="m" imperative="1"
             installer="i"/>
    <component name="three" type="UActiveX"><installer>three.exe</installer></component>
    <item name="one"><detect type="clsid">{1}</detect><installer>one.exe</installer></item>
    <config type="host"><entry>a.example</entry></config>
    <item name="two"><file remote="two.dll">two.dll</file></item>
    <config type="trust"><entry>https://a.example</entry></config>
  </checkitems>)";
  CheckConfig fromShuffled;
  ASSERT_TRUE(Parse(usualOrder));
  ASSERT_TRUE(ParseCheckItems(fromShuffled, shuffled, fakes.platform));
  EXPECT_EQ(fromShuffled.groups, config.groups);
  EXPECT_EQ(fromShuffled.items, config.items);
  EXPECT_EQ(fromShuffled.components, config.components);
  EXPECT_EQ(fromShuffled.appInfo, config.appInfo);
  ASSERT_EQ(config.items.size(), 2u);
  EXPECT_EQ(config.items[0].name, "one");
  ASSERT_EQ(config.components.size(), 1u);
  EXPECT_EQ(config.components[0].name, "three");
}

// --- the update record -----------------------------------------------------------------

TEST_F(CheckItemsParserTest, TheLastAppInfoReplacesTheWholeRecord) {
  ASSERT_TRUE(Parse(R"(<checkitems base="http://d.example/">
    <appinfo version="1.0.0.1" remote="http://d.example/old.exe" md5="m1" imperative="1"
             installer="i1"/>
    <appinfo version="1.0.0.2" remote="Tessaly.exe"/>
  </checkitems>)"));
  EXPECT_EQ(config.appInfo, (AppInfo{.version = "1.0.0.2",
                                     .remote = "Tessaly.exe",
                                     .localPath = fakes.DownloadFolder() + "Tessaly.exe"}));
}

}  // namespace
}  // namespace tessaly
