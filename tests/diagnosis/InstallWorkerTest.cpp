#include <gtest/gtest.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "diagnosis/InstallWorker.h"
#include "platform/portable/Utf8Codec.h"
#include "tests/fakes/FakeCodePages.h"
#include "tests/fakes/FakeCodeSignatures.h"
#include "tests/fakes/FakeFileStore.h"
#include "tests/fakes/FakeInternet.h"

namespace tessaly {
namespace {

// Everything the worker does that someone else sees, as one transcript: the timers it arms
// (with the status word the handler would then read), the processes it starts and the
// questions it asks.
class Transcript final : public TimerService, public ProcessLauncher, public Prompts {
 public:
  explicit Transcript(const DiagnosisState& state) : state_(state) {}

  std::deque<bool> starts;           // whether each command starts; then every one does
  std::deque<YesNoAnswer> answers;  // then Neither, as an unanswered box
  std::vector<std::string> lines;

  void Arm(int id, std::uint32_t delayMs) override {
    std::string line = "timer " + std::to_string(id) + " at " + std::to_string(delayMs);
    if (id == 6) {
      line += ": status " + std::to_string(state_.installStatus.load());
    }
    lines.push_back(line);
  }
  void Cancel(int id) override { lines.push_back("cancel " + std::to_string(id)); }
  bool RunCommand(std::u16string_view commandLine, bool wait) override {
    lines.push_back("run " + EncodeUtf8(commandLine) + (wait ? " (wait)" : ""));
    return Pop(starts, true);
  }
  YesNoAnswer AskYesNo(unsigned content, unsigned instruction, unsigned yes, unsigned no) override {
    lines.push_back("ask " + std::to_string(content) + " " + std::to_string(instruction) + " " +
                    std::to_string(yes) + " " + std::to_string(no) + ", percent " +
                    std::to_string(state_.downloadPercent.load()));
    return Pop(answers, YesNoAnswer::Neither);
  }
  int ShowInfo(unsigned) override { return 0; }
  int ShowInfoText(std::u16string_view) override { return 0; }
  void ShowWarning(std::u16string_view, std::u16string_view) override {}

 private:
  template <typename T>
  static T Pop(std::deque<T>& queue, T otherwise) {
    if (queue.empty()) return otherwise;
    T value = queue.front();
    queue.pop_front();
    return value;
  }
  const DiagnosisState& state_;
};

constexpr char kBody[] = "MZ installer bytes";
constexpr char kBodyOwnMd5[] = "ccc142129e7f48a1b8aa1e873f89b29f";
// kBody's SHA-256 written in upper case, as an administrator may copy it.
constexpr char kBodySha256Upper[] = "02EBF67F170DE6B2C33C3B5904AF8E187531A8D02FF3CA935ED0FE0B1A26AEA0";
constexpr char kBodyMd5[] = "1b4a8a55d33ae1d8b4f8f4e4e1d23e57";  // not the body's: a mismatch

class InstallWorkerTest : public testing::Test {
 protected:
  InstallJob Installer(std::string name, std::string command, std::string md5 = "") {
    return {.itemIndex = 1,
            .url = "http://dl/" + name,
            .localPath = "C:\\Temp\\DownTmp\\" + name,
            .md5 = std::move(md5),
            .run = {.installerPath = "C:\\Temp\\DownTmp\\" + name, .command = std::move(command)}};
  }
  InstallJob File(std::string name, std::string install, std::string md5 = "") {
    return {.itemIndex = 2,
            .url = name.empty() ? "" : "http://dl/" + name,
            .localPath = "C:\\Windows\\system32\\" + (name.empty() ? "none.dll" : name),
            .md5 = std::move(md5),
            .run = {.installType = std::move(install),
                    .installedFilePath = "C:\\Windows\\system32\\" + name}};
  }
  void Serve(const std::string& name) {
    internet.responses[u"http://dl/" + DecodeUtf8(name)] = FakeResponse::Ok(kBody);
  }
  // Queues the jobs as the GUI thread does and runs the worker to its end here.
  void RunWorker(std::vector<InstallJob> jobs) {
    for (InstallJob& job : jobs) {
      queue.Append(std::move(job), true);
    }
    InstallWorker({queue, state, transcript, transcript,
                   {internet, files, files, codePages, transcript, code.gate}});
    EXPECT_FALSE(state.installing.load());
  }

  DiagnosisState state;
  InstallQueue queue;
  Transcript transcript{state};
  FakeInternet internet;
  FakeFileStore files;
  FakeCodePages codePages;
  PermissiveCodeGate code{files};
};

using Lines = std::vector<std::string>;
const std::string kDownloading = "timer 6 at 0: status 2";
const std::string kInstalling = "timer 6 at 0: status 3";
const std::string kDone = "timer 6 at 0: status 1";
const std::string kFinalStep = "timer 4 at 0";
const std::string kDownloadQuestion = "ask 145 146 147 148, percent 0";

TEST_F(InstallWorkerTest, RunsEveryJobInTurnAndAsksAboutFailures) {
  Serve("setup.exe");
  Serve("plain.exe");
  Serve("ctl.ocx");
  Serve("data.bin");
  Serve("ctl2.ocx");
  transcript.starts = {true, true, false};
  RunWorker({Installer("setup.exe", "%1 /S"), Installer("plain.exe", "\"%1\" /q %1"),
             File("ctl.ocx", "regserver"), File("", "regserver"), File("data.bin", ""),
             Installer("gone.exe", "%1"), File("ctl2.ocx", "regserver")});
  EXPECT_EQ(transcript.lines,
            (Lines{kDownloading, kInstalling,
                   "run \"C:\\Temp\\DownTmp\\setup.exe\" /S (wait)", kFinalStep, kDone,
                   kDownloading, kInstalling,
                   "run \"C:\\Temp\\DownTmp\\plain.exe\" /q \"C:\\Temp\\DownTmp\\plain.exe\" (wait)",
                   kFinalStep, kDone,
                   kDownloading, kInstalling, "run regsvr32 /s \"C:\\Windows\\system32\\ctl.ocx\" (wait)",
                   "ask 149 150 151 152, percent 100", kDone,
                   // A file without a URL fails its download; nothing is created for it.
                   kDownloading, kDownloadQuestion, kDone,
                   // A file without an install type is only placed.
                   kDownloading, kInstalling, kDone,
                   // Refused by the server.
                   kDownloading, kDownloadQuestion, kDone,
                   kDownloading, kInstalling, "run regsvr32 /s \"C:\\Windows\\system32\\ctl2.ocx\" (wait)",
                   kFinalStep, kDone}));
  EXPECT_EQ(*files.Find(u"C:\\Windows\\system32\\data.bin"), kBody);
  EXPECT_EQ(files.Find(u"C:\\Windows\\system32\\none.dll"), nullptr);
  EXPECT_EQ(state.downloadPercent.load(), 100);
  EXPECT_EQ(state.installStatus.load(), 1);
  EXPECT_FALSE(queue.WorkerRunning());
  EXPECT_TRUE(queue.Empty());
  EXPECT_EQ(internet.log().sessionsOpened, 1);
  EXPECT_EQ(internet.log().liveSessions, 0);
}

TEST_F(InstallWorkerTest, AFailedDownloadKeepsTheInstalledFileAndStopEndsTheWorker) {
  Serve("setup.exe");
  Serve("ctl.ocx");
  Serve("busy.ocx");
  Serve("next.exe");
  files.Put(u"C:\\Windows\\system32\\ctl.ocx", "the working control");
  files.Put(u"C:\\Windows\\system32\\busy.ocx", "a control the browser has loaded");
  files.inUse.insert(u"C:\\Windows\\system32\\busy.ocx");
  transcript.answers = {YesNoAnswer::Yes, YesNoAnswer::Yes, YesNoAnswer::No};
  RunWorker({Installer("setup.exe", "%1", kBodyMd5), File("ctl.ocx", "regserver", kBodyMd5),
             File("busy.ocx", "regserver"), Installer("next.exe", "%1")});
  EXPECT_EQ(transcript.lines, (Lines{kDownloading, "ask 145 146 147 148, percent 100", kDone,
                                     kDownloading, "ask 145 146 147 148, percent 100", kDone,
                                     kDownloading, "ask 145 146 147 148, percent 100", kDone}));
  EXPECT_EQ(files.Find(u"C:\\Temp\\DownTmp\\setup.exe"), nullptr);
  EXPECT_EQ(*files.Find(u"C:\\Windows\\system32\\ctl.ocx"), "the working control");
  EXPECT_EQ(*files.Find(u"C:\\Windows\\system32\\busy.ocx"), "a control the browser has loaded");
  EXPECT_EQ(files.state().files.size(), 2u) << "no staging file is left behind";
  // "Stop" dropped the job that was still queued, and no worker is marked as running, so
  // the next install starts one on its own jobs.
  EXPECT_TRUE(queue.Empty());
  EXPECT_TRUE(queue.Append(Installer("next.exe", "%1"), true));
  transcript.lines.clear();
  InstallWorker({queue, state, transcript, transcript,
                 {internet, files, files, codePages, transcript, code.gate}});
  EXPECT_EQ(transcript.lines, (Lines{kDownloading, kInstalling,
                                     "run \"C:\\Temp\\DownTmp\\next.exe\" (wait)", kFinalStep, kDone}));
}

TEST_F(InstallWorkerTest, AMatchingDigestRunsAndAStoppedInstallDropsTheRest) {
  Serve("setup.exe");
  Serve("next.exe");
  transcript.starts = {false};
  transcript.answers = {YesNoAnswer::No};
  RunWorker({Installer("setup.exe", "%1", kBodyOwnMd5), Installer("next.exe", "%1")});
  EXPECT_EQ(transcript.lines,
            (Lines{kDownloading, kInstalling, "run \"C:\\Temp\\DownTmp\\setup.exe\" (wait)",
                   "ask 149 150 151 152, percent 100", kDone}));
  EXPECT_EQ(*files.Find(u"C:\\Temp\\DownTmp\\setup.exe"), kBody);
  EXPECT_TRUE(queue.Empty());
  EXPECT_FALSE(queue.WorkerRunning());
}

TEST_F(InstallWorkerTest, CodeWithoutTheSignatureOfAnAllowedPublisherNeverRunsNorStays) {
  for (const char* name : {"unsigned.exe", "other.exe", "altered.exe", "ctl.ocx", "placed.dll",
                           "data.bin", "signed.exe"}) {
    Serve(name);
  }
  const TestSigner other = MakeTestSigner("Other Test");
  code.signatures.byPath = {
      {u"C:\\Temp\\DownTmp\\unsigned.exe", {SignatureStatus::NoSignature, {}}},
      {u"C:\\Temp\\DownTmp\\other.exe", other.Signature()},
      {u"C:\\Temp\\DownTmp\\altered.exe", {SignatureStatus::BadDigest, {}}},
      {u"C:\\Windows\\system32\\ctl.ocx", {SignatureStatus::NoSignature, {}}},
      {u"C:\\Windows\\system32\\placed.dll", {SignatureStatus::NoSignature, {}}},
      {u"C:\\Windows\\system32\\data.bin", {SignatureStatus::NoSignature, {}}},
  };
  RunWorker({Installer("unsigned.exe", "%1"), Installer("other.exe", "%1"),
             Installer("altered.exe", "%1"), File("ctl.ocx", "regserver"), File("placed.dll", ""),
             File("data.bin", ""), Installer("signed.exe", "%1")});
  const std::string refused = "ask 145 146 147 148, percent 100";
  EXPECT_EQ(transcript.lines,
            (Lines{kDownloading, refused, kDone, kDownloading, refused, kDone,
                   kDownloading, refused, kDone, kDownloading, refused, kDone,
                   kDownloading, refused, kDone,
                   // Data carries no signature and is placed; the signed installer runs.
                   kDownloading, kInstalling, kDone,
                   kDownloading, kInstalling, "run \"C:\\Temp\\DownTmp\\signed.exe\" (wait)",
                   kFinalStep, kDone}));
  for (const char16_t* gone : {u"C:\\Temp\\DownTmp\\unsigned.exe", u"C:\\Temp\\DownTmp\\other.exe",
                               u"C:\\Temp\\DownTmp\\altered.exe", u"C:\\Windows\\system32\\ctl.ocx",
                               u"C:\\Windows\\system32\\placed.dll"}) {
    EXPECT_EQ(files.Find(gone), nullptr) << EncodeUtf8(gone);
  }
  EXPECT_NE(files.Find(u"C:\\Windows\\system32\\data.bin"), nullptr);
}

TEST_F(InstallWorkerTest, ASha256BesideTheMd5IsCheckedToo) {
  // A SHA-256 that is not kBody's, beside kBody's own MD5.
  const std::string sha256 = "6d3a1ff0ce48c7d4ec0c0d9d3ab4b0db3fb4a4b5f6ae54e2a97c0f2f9c0a9bb8";
  Serve("good.exe");
  Serve("bad.exe");
  InstallJob good = Installer("good.exe", "%1", kBodyOwnMd5);
  good.sha256 = kBodySha256Upper;
  InstallJob bad = Installer("bad.exe", "%1", kBodyOwnMd5);
  bad.sha256 = sha256;
  RunWorker({bad, good});
  EXPECT_EQ(transcript.lines,
            (Lines{kDownloading, "ask 145 146 147 148, percent 100", kDone, kDownloading,
                   kInstalling, "run \"C:\\Temp\\DownTmp\\good.exe\" (wait)", kFinalStep, kDone}));
  EXPECT_EQ(files.Find(u"C:\\Temp\\DownTmp\\bad.exe"), nullptr);
}

TEST_F(InstallWorkerTest, WithoutASessionEveryDownloadFails) {
  internet.failOpenSession = true;
  Serve("setup.exe");
  RunWorker({Installer("setup.exe", "%1")});
  EXPECT_EQ(transcript.lines, (Lines{kDownloading, kDownloadQuestion, kDone}));
  EXPECT_EQ(files.Find(u"C:\\Temp\\DownTmp\\setup.exe"), nullptr);
}

}  // namespace
}  // namespace tessaly
