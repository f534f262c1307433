#include "shell/update/UpdateWorker.h"

#include <cstdint>
#include <memory>

#include "config/TextConversion.h"
#include "diagnosis/DiagnosisTimers.h"
#include "platform/HttpDownload.h"
#include "resources/StringTable.h"
#include "shell/update/ReplaceProgramFile.h"
#include "shell/update/UpdateRecord.h"

namespace tessaly {
namespace {

constexpr int kBoxOk = 1;  // the information box's OK button
constexpr std::uint32_t kCloseDelayMs = 0;

// The program and its installer both run, so both must pass the gate whatever their names.
bool Download(InternetSession& session, const UpdateWorkerContext& context,
              std::string_view addressUtf8, const std::u16string& path) {
  const CodePages& codePages = context.platform.detection.codePages;
  const DownloadCheck signedProgram = [&context](const std::u16string& staged) {
    return context.platform.code.Admit(staged, CodeUse::ProgramUpdate, true);
  };
  return !path.empty() &&
         DownloadToFile(session, Utf8ToWide(codePages, addressUtf8), context.platform.fileWriter,
                        path, nullptr, signedProgram) != 0;
}

// The installer is saved beside the downloads and started without arguments, quoted so that
// a folder with spaces cannot make the system start some other program.
bool RunInstaller(InternetSession& session, const UpdateWorkerContext& context) {
  const AppInfo& record = context.config.appInfo;
  const std::u16string path = InstallerPath(record, context.platform.detection.codePages);
  return Download(session, context, record.installer, path) &&
         context.platform.launcher.RunCommand(u"\"" + path + u"\"", false);
}

bool SwapAndRestart(InternetSession& session, const UpdateWorkerContext& context) {
  const UpdatePlatform& platform = context.platform;
  const AppInfo& record = context.config.appInfo;
  const std::u16string download = Utf8ToWide(platform.detection.codePages, record.localPath);
  if (!Download(session, context, record.remote, download)) {
    return false;
  }
  const std::u16string target = SwapTarget(platform.programPath, record, platform.detection.codePages);
  if (target.empty() || !PassesUpdateRecord(platform.detection, record, record.localPath)) {
    platform.fileWriter.Delete(download);
    return false;
  }
  return ReplaceProgramFile(platform.files, target, download) == Replacement::Complete &&
         platform.launcher.RunCommand(RestartCommand(platform.programPath), false);
}

// Asks whether to update now; a mandatory update only informs. False: not now.
bool UserAgrees(const UpdateWorkerContext& context) {
  if (context.config.appInfo.imperative == "1") {
    return context.prompts.ShowInfo(kStringMandatoryUpdateNotice) == kBoxOk;
  }
  const bool yes = context.prompts.AskYesNo(kStringUpdateQuestion, kStringUpdateInstruction,
                                            kStringUpdateNow, kStringUpdateAtNextStart) ==
                   YesNoAnswer::Yes;
  if (!yes) {
    context.timers.Arm(kTimerFirstStep, kStepDelayMs);
  }
  return yes;
}

}  // namespace

void UpdateWorker(const UpdateWorkerContext& context) {
  const UpdatePlatform& platform = context.platform;
  context.settings.WriteDword(kLastUpdate, static_cast<std::uint32_t>(platform.clock.Now()));
  if (!IsUpdateNeeded(platform.detection, context.config.appInfo, platform.programPath)) {
    if (context.settings.ReadDword(kUserType) != 0) {
      context.timers.Arm(kTimerStartCheck, kStepDelayMs);
    }
    return;
  }
  if (!UserAgrees(context)) {
    return;
  }
  context.timers.Arm(kTimerUpdateAccepted, kStepDelayMs);
  const std::unique_ptr<InternetSession> session = platform.internet.OpenSession();
  const bool started = session && (context.config.appInfo.installer.empty()
                                       ? SwapAndRestart(*session, context)
                                       : RunInstaller(*session, context));
  // An update that came to nothing must not leave the page at "updating" with no check
  // running: the diagnosis goes on as after a declined update, silently.
  if (started) {
    context.timers.Arm(kTimerCloseForUpdate, kCloseDelayMs);
  } else {
    context.timers.Arm(kTimerFirstStep, kStepDelayMs);
  }
}

}  // namespace tessaly
