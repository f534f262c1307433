#include "certificates/EnrolmentRepair.h"

#include <memory>
#include <string>
#include <vector>

#include "certificates/EnrolmentControls.h"
#include "platform/HttpDownload.h"
#include "platform/RegistryValues.h"
#include "platform/portable/Utf8Codec.h"
#include "resources/StringTable.h"

namespace tessaly {
namespace {

// The default value of the registration is read as at most 260 characters.
constexpr std::size_t kMaxLocalServerBytes = (260 + 1) * sizeof(char16_t);

bool IsThere(const EnrolmentRepairServices& services, std::u16string_view path) {
  const std::u16string expanded = ExpandEnvironment(services.environment, path);
  return !expanded.empty() && services.paths.PathExists(expanded);
}

// A file that cannot even be named (its expansion failed) cannot be put in place either;
// it fails like a download.
bool Download(const EnrolmentRepairServices& services, const EnrolmentFile& file) {
  const std::u16string target = ExpandEnvironment(services.environment, file.path);
  const std::unique_ptr<InternetSession> session = services.internet.OpenSession();
  if (target.empty() || !session) {
    return false;
  }
  const std::u16string url =
      DecodeUtf8(std::string(services.downloadServer) + std::string(file.download));
  // The control is judged before it replaces anything in the system folder.
  const DownloadCheck signedControl = [&services](const std::u16string& staged) {
    return services.code.Admit(staged, CodeUse::EnrolmentControl, true);
  };
  return DownloadToFile(*session, url, services.files, target, nullptr, signedControl) != 0;
}

void Repair(const EnrolmentRepairServices& services, const EnrolmentControls& controls) {
  std::vector<EnrolmentFile> missing;
  for (const EnrolmentFile& file : controls.files) {
    if (!IsThere(services, file.path)) {
      missing.push_back(file);
    }
  }
  const bool registered = IsLocalServerRegistered(services, controls.classId);
  if (missing.empty() && registered) {
    return;
  }
  // Only a "no" stops: a question that could not be shown lets the repair go on.
  if (controls.asksFirst &&
      services.prompts.AskYesNo(kStringCertEnrollMissingQuestion, 0, kStringYes, kStringNo) ==
          YesNoAnswer::No) {
    return;
  }
  for (const EnrolmentFile& file : missing) {
    if (!Download(services, file)) {
      services.prompts.ShowWarning(kEnrolmentDownloadFailedCaption, kEnrolmentDownloadFailedText);
      return;
    }
  }
  if (!registered) {
    const std::u16string command = RegistryImportCommand(services.programPath, controls.script);
    if (!command.empty()) {
      services.launcher.RunCommand(command, true);
    }
  }
}

}  // namespace

bool IsLocalServerRegistered(const EnrolmentRepairServices& services,
                             std::u16string_view classId) {
  const std::u16string path = u"CLSID\\" + std::u16string(classId) + u"\\LocalServer32";
  const std::unique_ptr<RegistryKey> key = services.registry.OpenKey(
      RegistryRoot::ClassesRoot, path, RegistryAccess::Read, RegistryView::Default);
  if (!key) {
    return false;
  }
  const RegistryRead<std::u16string> server = ReadString(*key, u"", kMaxLocalServerBytes);
  return server.ok() && IsThere(services, server.value);
}

std::u16string RegistryImportCommand(std::u16string_view programPath, std::u16string_view script) {
  const std::size_t separator = programPath.find_last_of(u"\\/");
  if (separator == std::u16string_view::npos) {
    return {};
  }
  return u"regedit /s \"" + std::u16string(programPath.substr(0, separator + 1)) +
         std::u16string(script) + u"\"";
}

void CheckAndFixCertEnroll(const EnrolmentRepairServices& services) {
  const WindowsVersionFacts facts = services.system.VersionFacts();
  if (!facts.versionQueryOk) {
    return;
  }
  Repair(services,
         facts.major >= kCertEnrollMajorVersion ? kCertEnrollControls : kXenrollControls);
}

}  // namespace tessaly
