#pragma once

#include <string>
#include <string_view>

#include "platform/BankServers.h"
#include "platform/CodeAdmission.h"
#include "platform/FileAccess.h"
#include "platform/InternetSession.h"
#include "platform/PathProbe.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "platform/SystemFacts.h"
#include "platform/WideEnvironment.h"

namespace tessaly {

// The message of a control file that could not be downloaded, and its caption.
inline constexpr std::u16string_view kEnrolmentDownloadFailedText = u"无法下载证书控件！";
inline constexpr std::u16string_view kEnrolmentDownloadFailedCaption = u"错误";

// What the repair reaches the system through; every service outlives the call.
struct EnrolmentRepairServices {
  const SystemFacts& system;
  const WideEnvironment& environment;
  const PathProbe& paths;
  const Registry& registry;
  const Internet& internet;
  const FileWriter& files;
  ProcessLauncher& launcher;
  Prompts& prompts;
  // Admits each downloaded control; one refused fails like its download.
  const CodeGate& code;
  // The running program's full path: the registry scripts lie beside it.
  std::u16string programPath{};
  // Scheme and host of the download server, without a trailing slash.
  std::string_view downloadServer = kDownloadServer;
};

// Whether HKEY_CLASSES_ROOT\CLSID\<classId>\LocalServer32 opens, its default value is a
// text of at most 260 characters, and that text, expanded, names an existing file.
bool IsLocalServerRegistered(const EnrolmentRepairServices& services, std::u16string_view classId);

// The registry editor's command line for a script beside the program: "regedit /s" and the
// script's full path in double quotes, since the program's folder usually holds a space
// ("C:\Program Files\...") which would otherwise cut the path short. Empty when the
// program's path names no folder.
std::u16string RegistryImportCommand(std::u16string_view programPath, std::u16string_view script);

// The page method `checkAndFixCertEnroll`: makes sure the certificate-enrolment controls of
// the running Windows (CertEnroll from major version 6 on, Xenroll before) have their files
// and their class registration. On Vista and later the user is asked first (strings 156,
// 157, 158) and only a "no" stops the repair; before Vista nothing is asked. Missing files
// are downloaded one after the other from the download server, each through a new session,
// and each must carry the signature of an allowed publisher or is deleted; the first that
// fails shows "无法下载证书控件！" ("错误") and ends the repair, keeping those
// already downloaded. A missing registration is then imported from the script with the
// registry editor, waiting for it; its outcome is not examined, so the next call looks
// again. Nothing happens when the Windows version cannot be read. Blocks the GUI thread
// for the whole repair.
void CheckAndFixCertEnroll(const EnrolmentRepairServices& services);

}  // namespace tessaly
