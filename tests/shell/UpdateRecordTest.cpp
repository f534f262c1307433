#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/update/UpdateRecord.h"
#include "tests/fakes/FakeCodePages.h"
#include "tests/fakes/FakeFileStore.h"
#include "tests/fakes/FakeFileView.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeUsbDriver.h"
#include "tests/fakes/FakeWideEnvironment.h"

namespace tessaly {
namespace {

const std::u16string kProgram = u"C:\\Tessaly\\Tessaly.exe";

struct Machine {
  FakeRegistry registry;
  FakeCodePages codePages;
  FakeWideEnvironment environment;
  FakeFileView view;
  FakeFileStore store;
  FakeUsbDriver usb;
  ComponentPlatform platform() const {
    return {registry, codePages, environment, view, view, view, store, usb};
  }
};

TEST(UpdateRecordTest, AnUpdateIsNeededWhenTheProgramFailsTheRecordsVersionOrDigest) {
  struct Case {
    const char* version;
    const char* md5;
    bool programPresent;
    bool needed;
  };
  const char* const abc = "900150983cd24fb0d6963f7d28e17f72";  // the program's bytes "abc"
  const std::vector<Case> cases = {
      {"1.0.0.3", "", true, false},
      {"1.0.0.4", "", true, false},
      {"1.0.0.5", "", true, true},
      {"1.1", "", true, true},     // missing parts are 0: 1.1.0.0
      {"0.9.9.9", "", true, false},  // compared as a version: 1.0 comes after 0.9
      {"1.0.0.4.9", "", true, false},  // a fifth part is not read
      {"", "", true, false},
      {"", abc, true, false},
      {"", "900150983CD24FB0D6963F7D28E17F72", true, true},  // compared exactly
      {"1.0.0.4", "00000000000000000000000000000000", true, true},
      {"", "", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.version) + " / " + c.md5);
    Machine machine;
    if (c.programPresent) {
      machine.view.entries[kProgram] = {.versionMS = 0x00010000, .versionLS = 0x00000004};
      machine.store.Put(kProgram, "abc");
    }
    const AppInfo record{.version = c.version, .md5 = c.md5};
    EXPECT_EQ(IsUpdateNeeded(machine.platform(), record, kProgram), c.needed);
  }
}

TEST(UpdateRecordTest, DownloadedNamesStayBesideTheProgramAndTheDownloads) {
  const FakeCodePages codePages;
  struct Case {
    const char* remote;
    std::u16string target;
  };
  const std::vector<Case> targets = {
      {"http://h/ocx/Tessaly.exe", u"C:\\Tessaly/Tessaly.exe"},
      {"http://h/ocx/TessalyNew.exe", u"C:\\Tessaly/TessalyNew.exe"},
      {"Tessaly.exe", kProgram},  // no "/": the program itself
      {"http://h/ocx/", u""},
      {"http://h/ocx/..", u""},
      {"http://h/ocx/..\\..\\Windows\\evil.exe", u""},
      {"http://h/ocx/c:evil.exe", u""},
      {"http://h/ocx/a?b", u""},
  };
  for (const Case& c : targets) {
    SCOPED_TRACE(c.remote);
    EXPECT_EQ(SwapTarget(kProgram, AppInfo{.remote = c.remote}, codePages), c.target);
  }
  EXPECT_EQ(SwapTarget(u"Tessaly.exe", AppInfo{.remote = "http://h/x.exe"}, codePages),
            u"Tessaly.exe");

  const AppInfo record{.localPath = "C:\\Temp\\DownTmp\\Tessaly.exe",
                       .installer = "http://h/ocx/Setup.exe"};
  EXPECT_EQ(InstallerPath(record, codePages), u"C:\\Temp\\DownTmp\\Setup.exe");
  EXPECT_EQ(InstallerPath(AppInfo{.localPath = "Tessaly.exe", .installer = "http://h/S.exe"},
                          codePages),
            u"");
  EXPECT_EQ(InstallerPath(AppInfo{.localPath = record.localPath, .installer = "Setup.exe"},
                          codePages),
            u"");
  EXPECT_EQ(RestartCommand(kProgram), u"\"C:\\Tessaly\\Tessaly.exe\" /update");
}

}  // namespace
}  // namespace tessaly
