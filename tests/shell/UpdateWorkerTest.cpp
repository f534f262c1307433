#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "diagnosis/DiagnosisTimers.h"
#include "platform/RegistryValues.h"
#include "resources/StringTable.h"
#include "shell/update/UpdateWorker.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScriptedPrompts.h"
#include "tests/shell/UpdateTestPc.h"

namespace tessaly {
namespace {

const std::u16string kProgram(UpdateTestPc::kProgram);
const std::u16string kDownload = u"C:\\Temp\\DownTmp\\Tessaly.exe";
const std::u16string kInstaller = u"C:\\Temp\\DownTmp\\Setup.exe";
const std::u16string kRemote = u"http://download.example/ocx/Tessaly.exe";
const std::u16string kInstallerUrl = u"http://download.example/ocx/Setup.exe";
const std::string kNewProgram = "abc";
const std::string kNewProgramMd5 = "900150983cd24fb0d6963f7d28e17f72";
constexpr std::uint32_t k104 = UpdateTestPc::kProgramVersionLS;  // with 1.0: 1.0.0.4
constexpr std::uint32_t k105 = k104 + 1;
constexpr std::int64_t kNow = 0x1'2345'6789;

AppInfo Record(std::string md5 = "", std::string imperative = "", std::string installer = "") {
  return AppInfo{.version = "1.0.0.5",
                 .remote = "http://download.example/ocx/Tessaly.exe",
                 .localPath = "C:\\Temp\\DownTmp\\Tessaly.exe",
                 .md5 = std::move(md5),
                 .imperative = std::move(imperative),
                 .installer = std::move(installer)};
}

// The PC, with the record of a newer build, and a server that may serve that build.
struct Pc : UpdateTestPc {
  FakeScriptedPrompts prompts;

  Pc() {
    clock.now = kNow;
    config.appInfo = Record();
  }
  // The server has the new program; the download lands where the folder sees it too.
  void Serves(const std::string& body, std::uint32_t versionLS) {
    internet.responses[kRemote] = FakeResponse::Ok(body);
    view.entries[kDownload] = {.versionMS = kVersionMS, .versionLS = versionLS};
    folder.files[kDownload] = body;
  }
  void Run() { UpdateWorker(Context(prompts)); }
};

const PromptCall kQuestion = PromptCall::YesNo(kStringUpdateQuestion, kStringUpdateInstruction,
                                               kStringUpdateNow, kStringUpdateAtNextStart);
const PromptCall kMandatory = PromptCall::Info(kStringMandatoryUpdateNotice);
const std::u16string kRestart = u"\"C:\\Tessaly\\Tessaly.exe\" /update";

struct Case {
  const char* name;
  std::function<void(Pc&)> arrange;
  std::vector<PromptCall> prompts;
  std::vector<int> timers;
  std::vector<std::u16string> launches;
  bool swapped;
  bool deletesDownload = false;
};

TEST(UpdateWorkerTest, EveryWayThroughAnUpdate) {
  const auto accept = [](Pc& pc) { pc.prompts.QueueAnswer(YesNoAnswer::Yes); };
  const std::vector<Case> cases = {
      {"current, a key type chosen: the diagnosis starts",
       [](Pc& pc) { pc.config.appInfo.version = "1.0.0.4"; }, {}, {kTimerStartCheck}, {}, false},
      {"current, no key type yet: the page waits",
       [](Pc& pc) {
         pc.config.appInfo.version = "1.0.0.3";
         pc.settings.WriteDword(kUserType, 0);
       },
       {}, {}, {}, false},
      {"optional, declined: the diagnosis starts at step 8",
       [](Pc& pc) { pc.prompts.QueueAnswer(YesNoAnswer::No); }, {kQuestion}, {kTimerFirstStep},
       {}, false},
      {"optional, closed without a choice counts as declined", [](Pc&) {}, {kQuestion},
       {kTimerFirstStep}, {}, false},
      {"optional, accepted: swapped and restarted",
       [&](Pc& pc) { accept(pc); pc.Serves(kNewProgram, k105); }, {kQuestion},
       {kTimerUpdateAccepted, kTimerCloseForUpdate}, {kRestart}, true},
      {"\"01\" is not mandatory",
       [&](Pc& pc) {
         pc.config.appInfo.imperative = "01";
         accept(pc);
         pc.Serves(kNewProgram, k105);
       },
       {kQuestion}, {kTimerUpdateAccepted, kTimerCloseForUpdate}, {kRestart}, true},
      {"mandatory: informed, not asked",
       [](Pc& pc) {
         pc.config.appInfo.imperative = "1";
         pc.prompts.QueueInfoResult(FakeScriptedPrompts::kOk);
         pc.Serves(kNewProgram, k105);
       },
       {kMandatory}, {kTimerUpdateAccepted, kTimerCloseForUpdate}, {kRestart}, true},
      {"mandatory box not confirmed: nothing more",
       [](Pc& pc) { pc.config.appInfo.imperative = "1"; }, {kMandatory}, {}, {}, false},
      {"digest matching: swapped",
       [&](Pc& pc) {
         pc.config.appInfo.md5 = kNewProgramMd5;
         pc.store.Put(kProgram, "old program");
         accept(pc);
         pc.Serves(kNewProgram, k105);
       },
       {kQuestion}, {kTimerUpdateAccepted, kTimerCloseForUpdate}, {kRestart}, true},
      {"download failing: back to the diagnosis at step 8, silently",
       [&](Pc& pc) {
         accept(pc);
         pc.Serves(kNewProgram, k105);
         pc.internet.responses[kRemote] = FakeResponse::Lying(kNewProgram, 9);
       },
       {kQuestion}, {kTimerUpdateAccepted, kTimerFirstStep}, {}, false},
      {"downloaded file with another digest: deleted, nothing swapped",
       [&](Pc& pc) {
         pc.config.appInfo.md5 = kNewProgramMd5;
         accept(pc);
         pc.Serves("abd", k105);
       },
       {kQuestion}, {kTimerUpdateAccepted, kTimerFirstStep}, {}, false, true},
      {"downloaded file older than the record: deleted, nothing swapped",
       [&](Pc& pc) { accept(pc); pc.Serves(kNewProgram, k104); }, {kQuestion},
       {kTimerUpdateAccepted, kTimerFirstStep}, {}, false, true},
      {"swap only possible at Windows' next start: nothing restarted",
       [&](Pc& pc) {
         accept(pc);
         pc.Serves(kNewProgram, k105);
         pc.folder.refusedRenameSources = {kProgram};
       },
       {kQuestion}, {kTimerUpdateAccepted, kTimerFirstStep}, {}, false},
      {"new program does not start: the old one keeps running",
       [&](Pc& pc) {
         accept(pc);
         pc.Serves(kNewProgram, k105);
         pc.launcher.QueueOutcome(false);
       },
       {kQuestion}, {kTimerUpdateAccepted, kTimerFirstStep}, {kRestart}, true},
      {"no internet session", [&](Pc& pc) { accept(pc); pc.internet.failOpenSession = true; },
       {kQuestion}, {kTimerUpdateAccepted, kTimerFirstStep}, {}, false},
      {"installer: saved beside the downloads, started quoted, nothing swapped",
       [&](Pc& pc) {
         pc.config.appInfo.installer = "http://download.example/ocx/Setup.exe";
         accept(pc);
         pc.internet.responses[kInstallerUrl] = FakeResponse::Ok("setup");
       },
       {kQuestion}, {kTimerUpdateAccepted, kTimerCloseForUpdate}, {u"\"" + kInstaller + u"\""},
       false},
      {"new program unsigned: deleted, nothing swapped or started",
       [&](Pc& pc) {
         accept(pc);
         pc.Serves(kNewProgram, k105);
         pc.code.signatures.byPath[kDownload] = {SignatureStatus::NoSignature, {}};
       },
       {kQuestion}, {kTimerUpdateAccepted}, {}, false, true},
      {"new program altered after signing: deleted, nothing swapped or started",
       [&](Pc& pc) {
         accept(pc);
         pc.Serves(kNewProgram, k105);
         pc.code.signatures.byPath[kDownload] = {SignatureStatus::BadDigest, {}};
       },
       {kQuestion}, {kTimerUpdateAccepted}, {}, false, true},
      {"new program with a SHA-256 not its own: deleted, nothing swapped",
       [&](Pc& pc) {
         pc.config.appInfo.md5 = kNewProgramMd5;
         pc.config.appInfo.sha256 = std::string(64, '0');
         accept(pc);
         pc.Serves(kNewProgram, k105);
       },
       {kQuestion}, {kTimerUpdateAccepted}, {}, false, true},
      {"installer by another publisher: deleted, not started",
       [&](Pc& pc) {
         pc.config.appInfo.installer = "http://download.example/ocx/Setup.exe";
         accept(pc);
         pc.internet.responses[kInstallerUrl] = FakeResponse::Ok("setup");
         pc.code.signatures.byPath[kInstaller] = MakeTestSigner("Other Test").Signature();
       },
       {kQuestion}, {kTimerUpdateAccepted}, {}, false},
      {"installer download failing",
       [&](Pc& pc) {
         pc.config.appInfo.installer = "http://download.example/ocx/Setup.exe";
         accept(pc);
       },
       {kQuestion}, {kTimerUpdateAccepted, kTimerFirstStep}, {}, false},
      {"installer address naming no file",
       [&](Pc& pc) {
         pc.config.appInfo.installer = "http://download.example/ocx/..";
         accept(pc);
       },
       {kQuestion}, {kTimerUpdateAccepted, kTimerFirstStep}, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pc pc;
    c.arrange(pc);
    pc.Run();
    EXPECT_EQ(pc.prompts.Calls(), c.prompts);
    EXPECT_EQ(pc.timers.ArmedIds(), c.timers);
    std::vector<std::u16string> launches;
    for (const auto& launch : pc.launcher.Launches()) {
      EXPECT_FALSE(launch.wait);
      launches.push_back(launch.commandLine);
    }
    EXPECT_EQ(launches, c.launches);
    EXPECT_EQ(pc.folder.files.at(kProgram), c.swapped ? kNewProgram : "old program");
    if (c.deletesDownload) {
      EXPECT_EQ(pc.store.Find(kDownload), nullptr);
    }
    const bool installerStarted =
        std::find(c.launches.begin(), c.launches.end(), u"\"" + kInstaller + u"\"") != c.launches.end();
    EXPECT_EQ(pc.store.Find(kInstaller) != nullptr, installerStarted)
        << "an installer stays only when it was started";
    const RegistryValue* lastUpdate =
        pc.registry.FindValue(RegistryRoot::CurrentUser, kSettingsKeyPath, kLastUpdate);
    ASSERT_NE(lastUpdate, nullptr);
    EXPECT_EQ(*lastUpdate, DwordValue(static_cast<std::uint32_t>(kNow)));
  }
}

}  // namespace
}  // namespace tessaly
