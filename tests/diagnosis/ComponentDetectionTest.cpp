#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "diagnosis/FileCurrency.h"
#include "diagnosis/ItemDetection.h"
#include "diagnosis/ItemReport.h"
#include "diagnosis/ItemState.h"
#include "platform/RegistryValues.h"
#include "tests/fakes/FakeCodePages.h"
#include "tests/fakes/FakeFileStore.h"
#include "tests/fakes/FakeFileView.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeUsbDriver.h"
#include "tests/fakes/FakeWideEnvironment.h"
#include "tests/fakes/RecordingPageSink.h"

namespace tessaly {
namespace {

constexpr char kClsid[] = "{7867B2A0-9B97-475B-A24E-9214874414A7}";
constexpr char16_t kServerKey[] = u"CLSID\\{7867B2A0-9B97-475B-A24E-9214874414A7}\\InprocServer32";
constexpr char16_t kAddonKey[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\"
    u"{7867B2A0-9B97-475B-A24E-9214874414A7}";
constexpr char16_t kServerPath[] = u"C:\\Windows\\system32\\QmSecEdit.ocx";
constexpr std::uint32_t kKeyId = 0x096E0201;
constexpr std::uint32_t kHighVendorKey = 0x8000AAAA;
constexpr std::uint32_t kDisabled = kItemDisabledInBrowser;
constexpr std::uint32_t kNoKey = kItemNoKeyAttached;

// One PC, arranged by each case, and the item whose state word it must give.
struct Pc {
  FakeRegistry registry;
  FakeCodePages codePages;
  FakeWideEnvironment environment;
  FakeFileView view;
  FakeFileStore store;
  FakeUsbDriver usb = FakeUsbDriver::WithDevices({kKeyId, kHighVendorKey, 8});

  Pc() {
    registry.wow64 = true;
    environment.variables.variables["SystemRoot"] = "C:\\Windows";
  }
  ComponentPlatform platform() const {
    return {registry, codePages, environment, view, view, view, store, usb};
  }
  void RegisterServer(RegistryView side = RegistryView::Default) {
    registry.SetValue(RegistryRoot::ClassesRoot, kServerKey, u"", StringValue(kServerPath), side);
  }
  void AddonFlags(std::uint32_t flags) {
    registry.SetValue(RegistryRoot::CurrentUser, kAddonKey, u"Flags", DwordValue(flags));
  }
  void File(std::u16string path, FakeFileView::Entry entry = {}) {
    view.entries[std::move(path)] = entry;
  }
};

struct DetectionCase {
  const char* name;
  std::function<void(Pc&)> arrange;
  ComponentItem item;
  std::uint32_t expected;
};

DetectRule Rule(std::string type, std::string text, std::string bit = "") {
  return {.text = std::move(text), .type = std::move(type), .bit = std::move(bit)};
}

ComponentItem WithRules(std::vector<DetectRule> rules) { return {.detects = std::move(rules)}; }

ComponentItem WithFile(ItemFile file, bool installer = false) {
  ComponentItem item{.files = {std::move(file)}};
  if (installer) {
    item.installers = {{.url = "http://dl/x.exe", .command = "%1", .localPath = "C:\\t\\x.exe"}};
  }
  return item;
}

void Nothing(Pc&) {}

const std::vector<DetectionCase>& DetectionCases() {
  static const std::vector<DetectionCase> cases = {
      // "clsid": the class's server must exist; disabled add-ons are flagged either way.
      {"ClsidRegistered", [](Pc& pc) { pc.RegisterServer(); pc.File(kServerPath); },
       WithRules({Rule("clsid", kClsid)}), 0},
      {"ClsidUnknown", Nothing, WithRules({Rule("clsid", kClsid)}), 4},
      {"ClsidServerFileGone", [](Pc& pc) { pc.RegisterServer(); },
       WithRules({Rule("clsid", kClsid)}), 4},
      {"ClsidDisabled", [](Pc& pc) { pc.RegisterServer(); pc.File(kServerPath); pc.AddonFlags(1); },
       WithRules({Rule("clsid", kClsid)}), kDisabled},
      {"ClsidDisabledAndMissing", [](Pc& pc) { pc.AddonFlags(1); },
       WithRules({Rule("clsid", kClsid)}), 4 | kDisabled},
      {"ClsidOtherFlags", [](Pc& pc) { pc.RegisterServer(); pc.File(kServerPath); pc.AddonFlags(2); },
       WithRules({Rule("clsid", kClsid)}), 0},
      {"ClsidNativeSide",
       [](Pc& pc) { pc.RegisterServer(RegistryView::Native64); pc.File(kServerPath, {.nativeOnly = true}); },
       WithRules({Rule("clsid", kClsid, "64")}), 0},
      {"ClsidExpandableServerPath",
       [](Pc& pc) {
         RegistryValue value = StringValue(u"%SystemRoot%\\system32\\QmSecEdit.ocx");
         value.type = RegistryType::ExpandString;
         pc.registry.SetValue(RegistryRoot::ClassesRoot, kServerKey, u"", value);
         pc.File(kServerPath);
       },
       WithRules({Rule("clsid", kClsid)}), 0},
      {"ClsidExpandableServerPathFileGone",
       [](Pc& pc) {
         RegistryValue value = StringValue(u"%SystemRoot%\\system32\\QmSecEdit.ocx");
         value.type = RegistryType::ExpandString;
         pc.registry.SetValue(RegistryRoot::ClassesRoot, kServerKey, u"", value);
       },
       WithRules({Rule("clsid", kClsid)}), 4},
      {"ClsidNativeSideNotSeenRedirected",
       [](Pc& pc) { pc.RegisterServer(); pc.File(kServerPath, {.nativeOnly = true}); },
       WithRules({Rule("clsid", kClsid)}), 4},
      // "reg": ROOT,subkey,value.
      {"RegValuePresent",
       [](Pc& pc) { pc.registry.SetValue(RegistryRoot::LocalMachine, u"Software\\Q", u"Ver", DwordValue(1)); },
       WithRules({Rule("reg", "hklm,Software\\Q,Ver")}), 0},
      {"RegValueMissing",
       [](Pc& pc) { pc.registry.SetValue(RegistryRoot::LocalMachine, u"Software\\Q", u"Other", DwordValue(1)); },
       WithRules({Rule("reg", "HKEY_LOCAL_MACHINE,Software\\Q,Ver")}), 4},
      {"RegKeyOnly",
       [](Pc& pc) { pc.registry.SetValue(RegistryRoot::ClassesRoot, u"Q.Ctrl", u"x", DwordValue(1)); },
       WithRules({Rule("reg", "HKCR,Q.Ctrl,")}), 0},
      {"RegOneComma",
       [](Pc& pc) { pc.registry.SetValue(RegistryRoot::CurrentUser, u"Software\\Q", u"", DwordValue(1)); },
       WithRules({Rule("reg", "HKCU,Software\\Q")}), 4},
      {"RegUnknownRootIsCurrentUser",
       [](Pc& pc) { pc.registry.SetValue(RegistryRoot::CurrentUser, u"Software\\Q", u"V", DwordValue(1)); },
       WithRules({Rule("reg", "HKU,Software\\Q,V")}), 0},
      {"RegKeyNotWritable",
       [](Pc& pc) {
         pc.registry.SetValue(RegistryRoot::LocalMachine, u"Software\\Q", u"V", DwordValue(1));
         pc.registry.denyOpen.insert(u"software\\q");
       },
       WithRules({Rule("reg", "HKLM,Software\\Q,V")}), 4},
      // "file": expanded, on the side the rule names.
      {"FilePresent", [](Pc& pc) { pc.File(kServerPath); },
       WithRules({Rule("file", "%SystemRoot%\\system32\\QmSecEdit.ocx")}), 0},
      {"FileMissing", Nothing, WithRules({Rule("file", "%SystemRoot%\\system32\\QmSecEdit.ocx")}), 4},
      {"FileNativeSide", [](Pc& pc) { pc.File(kServerPath, {.nativeOnly = true}); },
       WithRules({Rule("file", "%SystemRoot%\\system32\\QmSecEdit.ocx", "1")}), 0},
      {"FileWithoutSwitchTestsTheOneFileSystem",
       [](Pc& pc) { pc.view.hasSwitch = false; pc.File(kServerPath); },
       WithRules({Rule("file", "%SystemRoot%\\system32\\QmSecEdit.ocx", "1")}), 0},
      // "usbkey": bit 31 by the attached devices; never stops the rules.
      {"UsbKeyAttached", Nothing, WithRules({Rule("usbkey", "0, 0x096E0201")}), 0},
      {"UsbKeyAbsent", Nothing, WithRules({Rule("usbkey", "0x096E0999,0x12345678")}), kNoKey},
      {"UsbKeyHighVendorReadUnsigned", Nothing, WithRules({Rule("usbkey", "0x8000AAAA")}), 0},
      {"UsbKeyOctal", Nothing, WithRules({Rule("usbkey", "010")}), 0},
      {"UsbKeyOnlyZeros", Nothing, WithRules({Rule("usbkey", "0,0")}), kNoKey},
      {"UsbKeyThenMissingFile", Nothing,
       WithRules({Rule("usbkey", "0x096E0999"), Rule("file", "C:\\none")}), 4 | kNoKey},
      {"MissingClsidStopsBeforeUsbKey", Nothing,
       WithRules({Rule("clsid", kClsid), Rule("usbkey", "0x096E0999")}), 4},
      {"ServiceAndUnknownTestNothing", Nothing,
       WithRules({Rule("service", "QmService"), Rule("whatever", "x")}), 0},
      // Files: the version as a version (a.b.c.d in order), then the digest.
      {"FileVersionNewerWithLowerLowWord",
       [](Pc& pc) { pc.File(kServerPath, {.versionMS = 0x20000, .versionLS = 0}); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .version = "1.0.5.0"}), 0},
      {"FileVersionNewerInTheSecondPart",
       [](Pc& pc) { pc.File(kServerPath, {.versionMS = 0x10001, .versionLS = 0}); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .version = "1.0.5.0"}), 0},
      {"FileVersionEqual",
       [](Pc& pc) { pc.File(kServerPath, {.versionMS = 0x10000, .versionLS = 0x50000}); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .version = "1.0.5.0"}), 0},
      {"FileVersionOlderInTheLastPart",
       [](Pc& pc) { pc.File(kServerPath, {.versionMS = 0x10000, .versionLS = 0x4FFFF}); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .version = "1.0.5.0"}), 1},
      {"FileVersionOlderInTheFirstPartWithHigherLowWord",
       [](Pc& pc) { pc.File(kServerPath, {.versionMS = 0xFFFF, .versionLS = 0xFFFFFFFF}); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .version = "1.0.5.0"}), 1},
      {"FileVersionOutdatedInstallable",
       [](Pc& pc) { pc.File(kServerPath, {.versionMS = 0x10000, .versionLS = 0x40000}); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .version = "1.0.5.0"}, true), 2},
      {"FileVersionSingleNumber",
       [](Pc& pc) { pc.File(kServerPath, {.versionMS = 0x30000, .versionLS = 0}); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .version = "3"}), 0},
      {"FileVersionSingleNumberBelow",
       [](Pc& pc) { pc.File(kServerPath, {.versionMS = 0x2FFFF, .versionLS = 0xFFFFFFFF}); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .version = "3"}), 1},
      {"FileWithoutVersionResource", [](Pc& pc) { pc.File(kServerPath); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .version = "1"}), 1},
      {"FileDigestMatches",
       [](Pc& pc) { pc.File(kServerPath); pc.store.Put(kServerPath, "abc"); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx",
                 .md5 = "900150983cd24fb0d6963f7d28e17f72"}), 0},
      {"FileDigestDiffers",
       [](Pc& pc) { pc.File(kServerPath); pc.store.Put(kServerPath, "abd"); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .url = "http://dl/q.ocx",
                 .md5 = "900150983cd24fb0d6963f7d28e17f72"}), 2},
      {"FileNativeSideVersion",
       [](Pc& pc) { pc.File(kServerPath, {.nativeOnly = true, .versionMS = 0x10000}); },
       WithFile({.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .version = "1", .bit = "64"}), 0},
      {"MissingWithDownloadableFile", Nothing,
       ComponentItem{.detects = {Rule("file", "C:\\none")}, .files = {{.url = "http://dl/a"}}}, 5},
      {"MissingWithFileWithoutUrl", Nothing,
       ComponentItem{.detects = {Rule("file", "C:\\none")}, .files = {{.localPath = "C:\\a"}}}, 4},
  };
  return cases;
}

class DetectionTest : public testing::TestWithParam<DetectionCase> {};

TEST_P(DetectionTest, GivesTheStateWord) {
  Pc pc;
  GetParam().arrange(pc);
  std::vector<ComponentItem> items{GetParam().item};
  // Whatever the word held before, detection starts from scratch.
  items[0].state = kItemStateNotDetected | kDisabled | kNoKey;
  DetectItems(pc.platform(), items);
  EXPECT_EQ(items[0].state, GetParam().expected);
  EXPECT_FALSE(pc.view.RedirectionIsOff());
}

INSTANTIATE_TEST_SUITE_P(Rules, DetectionTest, testing::ValuesIn(DetectionCases()),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(DetectionTest, SwitchesTheRedirectionOffOnlyForRulesAndFilesWithABit) {
  Pc pc;
  pc.File(kServerPath, {.nativeOnly = true, .versionMS = 0x10000});
  std::vector<ComponentItem> items{
      ComponentItem{.detects = {Rule("file", "C:\\Windows\\system32\\QmSecEdit.ocx", "64")},
                    .files = {{.localPath = "C:\\Windows\\system32\\QmSecEdit.ocx", .version = "1",
                               .bit = "64"}}},
      WithRules({Rule("file", "C:\\Windows\\system32\\QmSecEdit.ocx")})};
  DetectItems(pc.platform(), items);
  EXPECT_EQ(items[0].state, 0u);
  EXPECT_EQ(items[1].state, 4u);
  EXPECT_EQ(pc.view.pausesMade(), 2);
}

TEST(RequiredVersionTest, ReadsEachPartAsTheCLibraryDoesTruncatedTo16Bits) {
  const struct {
    const char* text;
    VersionWords words;
  } cases[] = {
      {"1.0.5.0", {0x10000, 0x50000}},
      {"3", {0x30000, 0}},
      {"", {0, 0}},
      {" 2.x3.4", {0x20000, 0x40000}},
      {"70000.1.2.3.9", {0x11700001, 0x20003}},
      {"-1.2", {0xFFFF0002, 0}},
      {"99999999999.0", {0xFFFF0000, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseRequiredVersion(c.text), c.words) << c.text;
  }
}

TEST(UsbDeviceIdsTest, ReadsUnsignedNumbersWithAutomaticBaseAndDropsZeros) {
  EXPECT_EQ(ParseUsbDeviceIds("0x096E0201, 0,010,4294967296, 3000000000,junk, -1"),
            (std::vector<std::uint32_t>{0x096E0201, 8, 0xFFFFFFFF, 3000000000u, 0xFFFFFFFF}));
  EXPECT_EQ(ParseUsbDeviceIds(""), std::vector<std::uint32_t>{});
}

TEST(ItemReportTest, SendsTheOnlineAndOfflineForms) {
  const struct {
    bool online;
    const char* type;
    std::uint32_t state;
    std::vector<PageCall> calls;
  } cases[] = {
      {false, "ActiveX", 5, {PageCall::SetState(2, 1, 6)}},
      {false, "driver", 0, {PageCall::SetState(2, 1, 1)}},
      {true, "driver", 0 | kNoKey, {PageCall::SetState(2, 1, u"3.3.9")}},
      {true, "ActiveX", 5, {PageCall::SetState(2, 1, u""), PageCall::SetState(2, 1, 5)}},
      // Online, a current item sends its version whatever its flag bits say.
      {true, "ActiveX", kDisabled, {PageCall::SetState(2, 1, u"3.3.9")}},
      {true, "ActiveX", 4 | kDisabled, {PageCall::SetState(2, 1, u""),
                                        PageCall::SetState(2, 1, StateForPage(4 | kDisabled))}},
      {false, "UkeyActiveX", 4, {PageCall::SetState(2, 1, 4)}},
      {true, "UActiveX", 4, {}},
  };
  for (const auto& c : cases) {
    CheckConfig config;
    config.networkOk = c.online;
    config.items = {ComponentItem{.type = c.type, .tips = "3.3.9", .state = c.state}};
    DiagnosisState state;
    RecordingPageSink page;
    ReportItem(config, state, page, 1);
    ReportItem(config, state, page, 0);
    ReportItem(config, state, page, 2);
    EXPECT_EQ(page.Calls(), c.calls) << c.type << " " << c.state;
    EXPECT_EQ(state.online.load(), c.online ? 1 : 0);
  }
}

}  // namespace
}  // namespace tessaly
