#include "usbkey/UsbKeyProbe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnosis/ItemState.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/ScriptedKeyAdapter.h"
#include "tests/usbkey/KeyPanelTranscript.h"
#include "usbkey/CUSBKey.h"
#include "usbkey/UsbKeyBindings.h"

namespace tessaly {
namespace {

using namespace std::string_literals;

const std::u16string kProgram = u"C:\\Program Files\\Quaymark\\Tessaly.exe";
const std::u16string kFennick = u"C:\\Program Files\\Quaymark\\Fennick.dll";
const std::u16string kRavelin = u"C:\\Program Files\\Quaymark\\Ravelin.dll";
const std::u16string kRavelinBluetooth = u"C:\\Program Files\\Quaymark\\Ravelin_.dll";

// A Feitian key as Fennick reports it: one key, one certificate valid until 2016-5-20.
ScriptedKeyAdapter OneCertificateKey() {
  ScriptedKeyAdapter key;
  key.checkKeyEnvResult = 1;
  key.keyCount = 1;
  key.serials = {1, std::string("FT0123456789ABCD\0", 17)};
  key.certNames["FT0123456789ABCD"] = {1, std::string("Li Lei\0", 7)};
  key.notBefore["Li Lei"] = {1, std::string("2014-5-20\0", 10)};
  key.notAfter["Li Lei"] = {1, std::string("2016-5-20\0", 10)};
  key.pinRetries["FT0123456789ABCD"] = 6;
  key.defaultPin["FT0123456789ABCD"] = 0;
  return key;
}

class UsbKeyProbeTest : public testing::Test {
 protected:
  UsbKeyProbeTest() {
    clock.utcOffsetSeconds = 8 * 3600;
    clock.now = clock.At({2016, 4, 10, 12, 0, 0});
  }

  void AddDriver(std::string className, std::uint32_t state = kItemStateCurrent) {
    config.items.push_back({.name = "USBKey", .type = "driver", .className = std::move(className),
                            .state = state});
  }

  std::vector<PageCall> Probe() {
    ProbeUsbKey({config, settings, page, loader, clock, kProgram});
    return page.Take();
  }

  FakeRegistry registry;
  FakeClock clock;
  Settings settings = SettingsWithUserType(registry, clock, 5);
  CheckConfig config;
  RecordingPageSink page;
  FakeModuleLoader loader;
};

TEST_F(UsbKeyProbeTest, OneCertificateFillsThePanelAndJudgesItsEndDate) {
  ScriptedKeyAdapter key = OneCertificateKey();
  loader.Put(kFennick, key.Exports());
  AddDriver("CFeitianUSBKey");

  EXPECT_EQ(Probe(), Blanked({Row(13, 0), Row(2, u"FT0123456789ABCD"), Row(3, 0), Row(4, 0),
                              Row(5, 0), Row(6, 1), Row(8, u"2014-5-20"), Row(9, u"2016-5-20"),
                              Row(7, 2)}));
  EXPECT_EQ(key.calls,
            (std::vector<std::string>{"CheckKeyEnv", "GetKeyCount", "GetKeySN",
                                      "GetPinRetryTimes(FT0123456789ABCD)",
                                      "DefaultPINFlg(FT0123456789ABCD)", "GetCertCN(FT0123456789ABCD)",
                                      "GetCertNotBefore(Li Lei)", "GetCertNotAfter(Li Lei)"}));
  EXPECT_EQ(loader.loads, std::vector<std::u16string>{kFennick});
  EXPECT_EQ(loader.loaded, 0) << "released after the item";
}

// Fennick joins the names of a key's certificates with "|"; each is shown with its dates.
TEST_F(UsbKeyProbeTest, TwoCertificatesShowBothWithFixedStates) {
  ScriptedKeyAdapter key = OneCertificateKey();
  key.certNames["FT0123456789ABCD"] = {1, std::string("Li Lei|Han Meimei\0", 18)};
  key.notBefore["Han Meimei"] = {1, std::string("2015-6-1\0", 9)};
  key.notAfter["Han Meimei"] = {1, std::string("2017-6-1\0", 9)};
  key.defaultPin["FT0123456789ABCD"] = 1;
  key.pinRetries["FT0123456789ABCD"] = 0;
  loader.Put(kFennick, key.Exports());
  AddDriver("CFeitianUSBKey");

  EXPECT_EQ(Probe(), Blanked({Row(13, 0), Row(2, u"FT0123456789ABCD"), Row(3, 0), Row(4, 1),
                              Row(5, 1), Row(6, 2), Row(7, 1), Row(10, 2), Row(8, u"2014-5-20"),
                              Row(11, u"2015-6-1"), Row(9, u"2016-5-20"), Row(12, u"2017-6-1")}));
}

TEST_F(UsbKeyProbeTest, EachProbeClassLoadsItsOwnAdapterForItsUserType) {
  struct Case {
    const char* className;
    std::uint32_t userType;
    std::u16string adapter;
  };
  for (const Case& c : {Case{"CWoqiUSBKey", 3, kRavelin}, Case{"CWoqiUSBKey1", 4, kRavelinBluetooth},
                        Case{"CFeitianUSBKey", 5, kFennick}}) {
    SCOPED_TRACE(c.className);
    config.items.clear();
    loader.loads.clear();
    AddDriver("CWoqiUSBKey");
    AddDriver("CWoqiUSBKey1");
    AddDriver("CFeitianUSBKey");
    settings.WriteDword(kUserType, c.userType);
    EXPECT_EQ(Probe(), Blanked({Row(13, 1)}));
    EXPECT_EQ(loader.loads, std::vector<std::u16string>{c.adapter});
  }
}

TEST_F(UsbKeyProbeTest, WithoutAdapterAnAttachedKeyShowsOnlyTheQuestionMark) {
  AddDriver("CFeitianUSBKey");
  EXPECT_EQ(Probe(), Blanked({Row(13, 1)}));
}

TEST_F(UsbKeyProbeTest, ItemsTheProbeSkips) {
  ScriptedKeyAdapter key = OneCertificateKey();
  loader.Put(kFennick, key.Exports());
  AddDriver("");                                    // no class
  AddDriver("CFeitianUSBKey", kItemStateOutdated);  // waiting for an install
  AddDriver("CFeitianUSBKey", kItemStateMissingInstallable);
  AddDriver("CWoqiUSBKey");  // another key type than the user's
  AddDriver("CFutureUSBKey");  // no probe class of that name (its user type is 2)
  EXPECT_EQ(Probe(), Blanked());
  settings.WriteDword(kUserType, 2);
  EXPECT_EQ(Probe(), Blanked());
  EXPECT_TRUE(loader.loads.empty());
  EXPECT_TRUE(key.calls.empty());
}

TEST_F(UsbKeyProbeTest, StatesThatAreStillProbed) {
  ScriptedKeyAdapter key = OneCertificateKey();
  loader.Put(kFennick, key.Exports());
  for (const std::uint32_t state : {kItemStateOutdatedInstallable, kItemStateMissing,
                                    kItemStateNotDetected, kItemStateCurrent | kItemDisabledInBrowser}) {
    config.items.clear();
    AddDriver("CFeitianUSBKey", state);
    EXPECT_EQ(Probe().size(), 11u + 9u) << "state " << state;
  }
}

TEST_F(UsbKeyProbeTest, NoKeyOfThisKindAttachedQueriesButReportsNothing) {
  ScriptedKeyAdapter key = OneCertificateKey();
  loader.Put(kFennick, key.Exports());
  AddDriver("CFeitianUSBKey", kItemStateCurrent | kItemNoKeyAttached);
  EXPECT_EQ(Probe(), Blanked());
  EXPECT_EQ(key.calls.size(), 8u);
  EXPECT_EQ(loader.loaded, 0);
}

TEST_F(UsbKeyProbeTest, KeyEnvironmentCodesDecideTheContentRow) {
  struct Case {
    std::int32_t result;
    std::int32_t code;
    std::vector<PageCall> contentRow;  // item 3, or nothing
  };
  const std::vector<Case> cases{
      {1, 0, {Row(3, 0)}},  {1, 8, {Row(3, 0)}},  {0, 1, {Row(3, 0)}},  {0, 8, {Row(3, 0)}},
      {0, 4, {Row(3, 1)}},  {0, 9, {Row(3, 1)}},  {0, 12, {Row(3, 1)}}, {0, -3, {Row(3, 1)}},
      {0, 0, {}},           {0, 2, {}},           {0, 3, {}},           {0, 7, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "CheckKeyEnv " << c.result << ", code " << c.code);
    ScriptedKeyAdapter key = OneCertificateKey();
    key.checkKeyEnvResult = c.result;
    key.checkKeyEnvCode = c.code;
    key.missing = {"GetPinRetryTimes", "DefaultPINFlg", "GetCertCN"};
    loader.Put(kFennick, key.Exports());
    config.items.clear();
    AddDriver("CFeitianUSBKey");
    std::vector<PageCall> expected{Row(13, 0), Row(2, u"FT0123456789ABCD")};
    expected.insert(expected.end(), c.contentRow.begin(), c.contentRow.end());
    expected.push_back(Row(6, 0));  // no names could be asked for
    EXPECT_EQ(Probe(), Blanked(expected));
  }
}

TEST_F(UsbKeyProbeTest, NoKeysStopsAfterTheCount) {
  for (const std::int32_t count : {0, -1}) {
    ScriptedKeyAdapter key = OneCertificateKey();
    key.keyCount = count;
    loader.Put(kFennick, key.Exports());
    config.items.clear();
    AddDriver("CFeitianUSBKey");
    EXPECT_EQ(Probe(), Blanked({Row(13, 1), Row(3, 0)}));
    EXPECT_EQ(key.calls, (std::vector<std::string>{"CheckKeyEnv", "GetKeyCount"}));
  }
}

TEST_F(UsbKeyProbeTest, TwoWatchdataKeysShowTheJoinedSerialText) {
  settings.WriteDword(kUserType, 3);
  ScriptedKeyAdapter key;
  key.keyCount = 2;
  key.serials = {1, std::string("WD00000001WD00000002\0", 21)};
  key.pinRetries = {{"WD00000001WD00000002", -1}, {"", 3}};
  loader.Put(kRavelin, key.Exports());
  AddDriver("CWoqiUSBKey");
  EXPECT_EQ(Probe(), Blanked({Row(13, 0), Row(2, u"WD00000001WD00000002"), Row(4, 0), Row(5, 0),
                              Row(6, 0)}));
  EXPECT_EQ(key.calls[3], "GetPinRetryTimes(WD00000001WD00000002)");
  EXPECT_EQ(key.calls[4], "GetPinRetryTimes()");
}

// The adapters never learn the buffer sizes; what they leave without a terminator is not
// read past the buffer's end.
TEST_F(UsbKeyProbeTest, AdapterOutputIsReadWithinItsBuffers) {
  ScriptedKeyAdapter unterminatedSerials = OneCertificateKey();
  unterminatedSerials.serials = {1, std::string(2048, 'S')};
  loader.Put(kFennick, unterminatedSerials.Exports());
  AddDriver("CFeitianUSBKey");
  EXPECT_EQ(Probe(), Blanked({Row(13, 1), Row(3, 0)}));

  ScriptedKeyAdapter unterminatedNames = OneCertificateKey();
  unterminatedNames.certNames["FT0123456789ABCD"] = {1, std::string("Li Lei\0", 7) +
                                                          std::string(2041, 'N')};
  unterminatedNames.notAfter["Li Lei"] = {1, std::string(12, '9')};
  loader.Put(kFennick, unterminatedNames.Exports());
  EXPECT_EQ(Probe(), Blanked({Row(13, 0), Row(2, u"FT0123456789ABCD"), Row(3, 0), Row(4, 0),
                              Row(5, 0), Row(6, 1), Row(8, u"2014-5-20")}))
      << "the name that fits is read, the unterminated one and the unterminated date are not";
}

TEST_F(UsbKeyProbeTest, MoreKeysThanTheSerialBufferHoldsStopAtItsEnd) {
  ScriptedKeyAdapter key = OneCertificateKey();
  key.keyCount = 1'000'000;
  key.missing = {"GetCertCN"};
  loader.Put(kRavelin, key.Exports());
  CWoqiUSBKey probe(loader, kProgram);
  EXPECT_EQ(probe.Detect(), 1'000'000);
  // "FT0123456789ABCD" and its NUL, then one empty text for each of the other zero bytes.
  EXPECT_EQ(probe.m_serials.size(), 1u + (2048u - 17u));
  EXPECT_EQ(probe.m_serials.front(), "FT0123456789ABCD");
  EXPECT_EQ(probe.m_pinRetries.size(), probe.m_serials.size());
  probe.Release();
  EXPECT_EQ(loader.loaded, 0);
}

// What each adapter writes into its lists, and the serials and names the probe takes from it.
TEST_F(UsbKeyProbeTest, EachAdapterListIsSplitAsItsAdapterWritesIt) {
  struct Case {
    const char* what;
    bool fennick;
    std::int32_t keyCount;
    std::string serials;
    std::string names;
    std::vector<std::string> expectedSerials;
    std::vector<std::string> expectedNames;  // of the first serial
  };
  const std::vector<Case> cases{
      {"Fennick, two keys, two certificates", true, 2, "FT01|FT02\0"s,
       "Li Lei|Han Meimei\0"s, {"FT01", "FT02"}, {"Li Lei", "Han Meimei"}},
      {"Fennick, more serials than keys", true, 1, "FT01|FT02\0"s,
       "Li Lei\0"s, {"FT01"}, {"Li Lei"}},
      {"Fennick, empty entries left out", true, 3, "|FT01||\0"s,
       "|Li Lei||Han Meimei|\0"s, {"FT01"}, {"Li Lei", "Han Meimei"}},
      {"Fennick, no certificate", true, 1, "FT01\0"s, "\0"s,
       {"FT01"}, {}},
      {"Ravelin, NUL-separated names", false, 1, "WD01\0"s,
       "Li Lei\0Han Meimei\0\0Later\0"s, {"WD01"}, {"Li Lei", "Han Meimei"}},
      {"Ravelin, a bar is part of a name", false, 1, "WD01\0"s,
       "Li|Lei\0\0"s, {"WD01"}, {"Li|Lei"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedKeyAdapter key;
    key.keyCount = c.keyCount;
    key.serials = {1, c.serials};
    key.certNames[c.expectedSerials.front()] = {1, c.names};
    loader.Put(c.fennick ? kFennick : kRavelin, key.Exports());
    CFeitianUSBKey feitian(loader, kProgram);
    CWoqiUSBKey watchdata(loader, kProgram);
    CUSBKey& probe = c.fennick ? static_cast<CUSBKey&>(feitian) : watchdata;
    probe.Detect();
    EXPECT_EQ(probe.m_serials, c.expectedSerials);
    ASSERT_FALSE(probe.m_certNames.empty());
    EXPECT_EQ(probe.m_certNames.front(), c.expectedNames);
    feitian.Release();
    watchdata.Release();
  }
}

TEST_F(UsbKeyProbeTest, NameWithoutCertificateRecordsNoDate) {
  ScriptedKeyAdapter key = OneCertificateKey();
  // The second name matches no certificate: the adapter answers 1 and writes nothing.
  key.certNames["FT0123456789ABCD"] = {1, std::string("Li Lei|Nobody\0", 14)};
  loader.Put(kFennick, key.Exports());
  AddDriver("CFeitianUSBKey");
  EXPECT_EQ(Probe(), Blanked({Row(13, 0), Row(2, u"FT0123456789ABCD"), Row(3, 0), Row(4, 0),
                              Row(5, 0), Row(6, 2), Row(7, 1), Row(10, 2), Row(8, u"2014-5-20"),
                              Row(9, u"2016-5-20"), Row(7, 2)}));
}

TEST_F(UsbKeyProbeTest, BindingRunsTheProbeFromTheOperationTable) {
  AddDriver("CFeitianUSBKey");
  UsbKeyBindings bindings({config, settings, page, loader, clock, kProgram});
  DiagnosisOperations operations;
  bindings.BindTo(operations);
  operations.probeUsbKey();
  EXPECT_EQ(page.Take(), Blanked({Row(13, 1)}));
  EXPECT_EQ(loader.loads, std::vector<std::u16string>{kFennick});
}

}  // namespace
}  // namespace tessaly
