#include "diagnosis/InstallWorker.h"

#include <memory>
#include <optional>
#include <string>

#include "config/TextConversion.h"
#include "diagnosis/DiagnosisTimers.h"
#include "diagnosis/InstallCommand.h"
#include "diagnosis/PageCodes.h"
#include "platform/FileDigest.h"
#include "platform/HttpDownload.h"
#include "platform/portable/Utf8Codec.h"
#include "resources/StringTable.h"

namespace tessaly {
namespace {

constexpr std::string_view kRegisterServer = "regserver";

class JobRunner {
 public:
  explicit JobRunner(const InstallWorkerContext& context)
      : context_(context), session_(context.platform.internet.OpenSession()) {}

  // Runs one job; false when the user chose to stop.
  bool Run(const InstallJob& job) {
    DiagnosisState& state = context_.state;
    state.downloadPercent.store(0);
    ShowStatus(kStatusDownloading);
    if (!Download(job)) {
      const YesNoAnswer answer = context_.prompts.AskYesNo(
          kStringDownloadFailedQuestion, kStringDownloadFailedInstruction,
          kStringContinueDownloading, kStringStopDownloading);
      ShowStatus(kStatusInstallDone);
      state.downloadPercent.store(kProgressDone);  // ends the progress polling
      return answer != YesNoAnswer::No;
    }
    ShowStatus(kStatusInstalling);
    bool goOn = true;
    if (const std::optional<std::u16string> command = CommandOf(job.run)) {
      if (context_.platform.launcher.RunCommand(*command, true)) {
        context_.timers.Arm(kTimerFinalStep, 0);
      } else {
        goOn = context_.prompts.AskYesNo(kStringInstallFailedQuestion,
                                         kStringInstallFailedInstruction,
                                         kStringContinueInstalling,
                                         kStringStopInstalling) != YesNoAnswer::No;
      }
    }
    ShowStatus(kStatusInstallDone);
    return goOn;
  }

 private:
  void ShowStatus(std::int32_t code) {
    context_.state.installStatus.store(code);
    context_.timers.Arm(kTimerInstallStatus, 0);
  }

  std::u16string Wide(const std::string& text) const {
    return Utf8ToWide(context_.platform.codePages, text);
  }

  // A job without a URL or a safe local path fails before anything is created. The
  // download never touches the installed file until it is complete and, where the job
  // names a digest, proven: a failure leaves the customer's working file as it was.
  bool Download(const InstallJob& job) {
    const std::u16string url = Wide(job.url);
    const std::u16string path = Wide(job.localPath);
    if (!session_ || url.empty() || path.empty()) {
      return false;
    }
    const InstallPlatform& platform = context_.platform;
    // The download runs with the program's administrative rights: it must be the file the
    // configuration names. An installer runs and a registered library is loaded whatever
    // their names; a placed file needs a signature when its name makes it code. The staged
    // file is judged by the name it is to take, before it replaces anything.
    const bool needsSignature = !job.run.installerPath.empty() || CommandOf(job.run).has_value() ||
                                IsCodeFileName(path);
    const DownloadCheck namedFile = [&platform, &job, needsSignature](const std::u16string& staged) {
      if (!job.md5.empty() || !job.sha256.empty()) {
        const std::string ansiPath = Utf8ToAnsi(platform.codePages, EncodeUtf8(staged));
        if (ansiPath.empty() || !FileHasDigests(platform.fileReader, ansiPath, job.md5, job.sha256)) {
          return false;
        }
      }
      return platform.code.Admit(staged, CodeUse::Component, needsSignature);
    };
    return DownloadToFile(*session_, url, platform.fileWriter, path,
                          &context_.state.downloadPercent, namedFile) != 0;
  }

  // The command line the job runs once downloaded; nothing when it only places a file.
  std::optional<std::u16string> CommandOf(const InstallRun& run) const {
    if (!run.installerPath.empty()) {
      return InstallerCommandLine(Wide(run.command), Wide(run.installerPath));
    }
    if (run.installType == kRegisterServer && !run.installedFilePath.empty()) {
      return RegisterServerCommandLine(Wide(run.installedFilePath));
    }
    return std::nullopt;
  }

  const InstallWorkerContext& context_;
  std::unique_ptr<InternetSession> session_;
};

}  // namespace

void InstallWorker(const InstallWorkerContext& context) {
  context.state.installing.store(true);
  {
    JobRunner runner(context);
    for (;;) {
      const std::optional<InstallJob> job = context.queue.Front();
      const bool stop = job && !runner.Run(*job);
      if (!context.queue.RemoveFront(stop)) {
        break;
      }
    }
  }  // the session is closed before the worker says it has ended
  context.state.installing.store(false);
}

}  // namespace tessaly
