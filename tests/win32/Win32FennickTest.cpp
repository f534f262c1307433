// Fennick.dll as the program meets it: loaded from the program's folder by the real
// CFeitianUSBKey, with the stand-in of Feitian's PKCS#11 library beside it serving the
// tokens a file describes, certificates decoded by CryptoAPI.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/Win32ModuleLoader.h"
#include "platform/win32/Win32ProgramPath.h"
#include "tests/fakes/Eventually.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/TestCertificates.h"
#include "tests/usbkey/KeyPanelTranscript.h"
#include "usbkey/CUSBKey.h"
#include "usbkey/UsbKeyProbe.h"

namespace tessaly::win32 {
namespace {

// Whether the stand-in of Feitian's library has been given back, which Fennick's idle
// release does a few seconds after the last call.
bool StandInUnloaded() {
  return Eventually([] { return GetModuleHandleW(L"QUAYMARKAUDIOPASS3000.dll") == nullptr; },
                    std::chrono::seconds(15));
}

std::string TemporaryFolder() {
  char folder[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH + 1, folder);
  return folder;
}

class Win32FennickTest : public testing::Test {
 protected:
  Win32FennickTest() {
    clock.now = clock.At({2016, 4, 25, 12, 0, 0});
    config.items.push_back({.name = "FeitianKey", .type = "driver", .className = "CFeitianUSBKey",
                            .state = 0});
  }
  ~Win32FennickTest() override {
    SetEnvironmentVariableA("TESSALY_STANDIN_TOKENS", nullptr);
    for (const std::string& file : files) {
      DeleteFileA(file.c_str());
    }
  }

  // A certificate valid from noon UTC of one day to noon of another, so that its dates are
  // the same in the local time of any prefix.
  std::string Certificate(const std::string& commonName, const LocalDateTime& from,
                          const LocalDateTime& to) {
    FakeClock utc;
    const std::string der = MakeTestCertificate("Quaymark Bank", commonName, utc.At(from), utc.At(to));
    EXPECT_FALSE(der.empty());
    return Write(commonName + ".der", der);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = TemporaryFolder() + "fennick-" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    files.push_back(path);
    return path;
  }

  void UseTokens(const std::string& description) {
    SetEnvironmentVariableA("TESSALY_STANDIN_TOKENS", Write("tokens.txt", description).c_str());
  }

  std::vector<PageCall> Probe() {
    ProbeUsbKey({config, settings, page, modules, clock, ModuleFilePath()});
    return page.Take();
  }

  FakeRegistry registry;
  FakeClock clock;
  Settings settings = SettingsWithUserType(registry, clock, 5);
  CheckConfig config;
  RecordingPageSink page;
  Win32ModuleLoader modules;
  std::vector<std::string> files;
};

TEST_F(Win32FennickTest, KeyPanelsForEachTokenFile) {
  const std::string liLei = Certificate("Li Lei", {2014, 5, 20, 12, 0, 0}, {2016, 5, 20, 12, 0, 0});
  const std::string hanMeimei =
      Certificate("Han Meimei", {2015, 6, 1, 12, 0, 0}, {2017, 6, 1, 12, 0, 0});
  struct Case {
    const char* name;
    std::string tokens;
    std::vector<PageCall> panel;
  };
  const std::vector<Case> cases{
      {"no key", "", {Row(13, 1)}},
      {"one key, one certificate due for renewal",
       "token FT00000000000001 0 6\ncertificate " + liLei + "\n",
       {Row(13, 0), Row(2, u"FT00000000000001"), Row(3, 0), Row(4, 0), Row(5, 0), Row(6, 1),
        Row(8, u"2014-5-20"), Row(9, u"2016-5-20"), Row(7, 3)}},
      // Fennick joins the names with "|"; the probe splits them, and both certificates show
      // with their dates.
      {"one key, two certificates",
       "token FT00000000000001 0 6\ncertificate " + liLei + "\ncertificate " + hanMeimei + "\n",
       {Row(13, 0), Row(2, u"FT00000000000001"), Row(3, 0), Row(4, 0), Row(5, 0), Row(6, 2),
        Row(7, 1), Row(10, 2), Row(8, u"2014-5-20"), Row(11, u"2015-6-1"), Row(9, u"2016-5-20"),
        Row(12, u"2017-6-1")}},
      {"a locked key whose PIN is still the issuing one",
       "token FT00000000000009 80000 0\n",
       {Row(13, 0), Row(2, u"FT00000000000009"), Row(3, 0), Row(4, 1), Row(5, 1), Row(6, 0)}},
      {"two keys",
       "token FT00000000000001 0 6\ncertificate " + hanMeimei + "\ntoken FT00000000000002 0 6\n",
       // Only the first key's results are shown.
       {Row(13, 0), Row(2, u"FT00000000000001"), Row(3, 0), Row(4, 0), Row(5, 0),
        Row(6, 1), Row(8, u"2015-6-1"), Row(9, u"2017-6-1"), Row(7, 2)}},
  };
  // Each probe loads and unloads Fennick. Feitian's library is loaded and initialised on the
  // calling thread at the first call, and finalised and freed on a thread of Fennick's own
  // once the calls have been idle for a few seconds, never under the loader's lock; the next
  // probe takes it up again. Each pair runs whole, in that order, however the probes and
  // the idle time interleave.
  ASSERT_TRUE(StandInUnloaded())
      << "an earlier use of the library was not given back";
  const std::string log = Write("pkcs11.log", "");
  SetEnvironmentVariableA("TESSALY_STANDIN_PKCS11_LOG", log.c_str());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseTokens(c.tokens);
    EXPECT_EQ(Probe(), Blanked(c.panel));
  }
  ASSERT_TRUE(StandInUnloaded());
  UseTokens(cases[1].tokens);
  EXPECT_EQ(Probe(), Blanked(cases[1].panel)) << "taken up again after the release";
  ASSERT_TRUE(StandInUnloaded());
  SetEnvironmentVariableA("TESSALY_STANDIN_PKCS11_LOG", nullptr);

  std::ifstream lines(log);
  std::vector<std::string> events;
  std::string releaser;
  for (std::string event, thread; lines >> event >> thread;) {
    const bool here = thread == std::to_string(GetCurrentThreadId());
    if (!here && releaser.empty()) {
      releaser = thread;
    }
    events.push_back(event + (here ? " here" : thread == releaser ? " releaser" : " elsewhere"));
  }
  const std::vector<std::string> pair{"attach here", "C_Initialize here", "C_Finalize releaser",
                                      "detach releaser"};
  ASSERT_GE(events.size(), 2 * pair.size());
  ASSERT_EQ(events.size() % pair.size(), 0u);
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i], pair[i % pair.size()]) << "event " << i;
  }
}

TEST_F(Win32FennickTest, TheProbeReadsFennickWithinItsBuffers) {
  std::string tokens;
  for (int i = 0; i < 150; ++i) {
    tokens += "token FT" + std::to_string(10000000000000 + i) + " 0 6\n";
  }
  UseTokens(tokens);
  CFeitianUSBKey probe(modules, ModuleFilePath());
  EXPECT_EQ(probe.Detect(), 150);
  ASSERT_FALSE(probe.m_serials.empty());
  // The 120 serials that fit in Fennick's "|"-joined text, each on its own.
  ASSERT_EQ(probe.m_serials.size(), 120u);
  EXPECT_EQ(probe.m_serials.back(), "FT10000000000119");
  probe.Release();
}

}  // namespace
}  // namespace tessaly::win32
