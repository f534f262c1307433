#include "shell/update/UpdateRecord.h"

#include "config/TextConversion.h"
#include "diagnosis/FileCurrency.h"
#include "platform/portable/Utf8Codec.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kNotInFileNames = u"\\:<>\"|?*";

}  // namespace

bool PassesUpdateRecord(const ComponentPlatform& platform, const AppInfo& record,
                        std::string_view pathUtf8) {
  ItemFile file;
  file.localPath = std::string(pathUtf8);
  file.url = record.remote;
  file.version = record.version;
  file.md5 = record.md5;
  file.sha256 = record.sha256;
  return IsFileCurrent(platform, file);
}

bool IsUpdateNeeded(const ComponentPlatform& platform, const AppInfo& record,
                    std::u16string_view programPath) {
  return !PassesUpdateRecord(platform, record, EncodeUtf8(programPath));
}

std::u16string DownloadedFileName(std::u16string_view address) {
  const std::size_t slash = address.rfind(u'/');
  const std::u16string_view name =
      slash == std::u16string_view::npos ? address : address.substr(slash + 1);
  if (name.empty() || name == u"." || name == u".." ||
      name.find_first_of(kNotInFileNames) != std::u16string_view::npos) {
    return {};
  }
  for (const char16_t c : name) {
    if (c < u' ') {
      return {};
    }
  }
  return std::u16string(name);
}

std::u16string InstallerPath(const AppInfo& record, const CodePages& codePages) {
  const std::u16string installer = Utf8ToWide(codePages, record.installer);
  const std::u16string downloadPath = Utf8ToWide(codePages, record.localPath);
  const std::size_t backslash = downloadPath.rfind(u'\\');
  const std::u16string name = DownloadedFileName(installer);
  if (installer.find(u'/') == std::u16string::npos || backslash == std::u16string::npos ||
      name.empty()) {
    return {};
  }
  return downloadPath.substr(0, backslash + 1) + name;
}

std::u16string SwapTarget(std::u16string_view programPath, const AppInfo& record,
                          const CodePages& codePages) {
  const std::u16string remote = Utf8ToWide(codePages, record.remote);
  const std::size_t backslash = programPath.rfind(u'\\');
  if (backslash == std::u16string_view::npos || remote.find(u'/') == std::u16string::npos) {
    return std::u16string(programPath);
  }
  const std::u16string name = DownloadedFileName(remote);
  if (name.empty()) {
    return {};
  }
  return std::u16string(programPath.substr(0, backslash)) + u"/" + name;
}

std::u16string RestartCommand(std::u16string_view programPath) {
  // Appended, not literal + string: GCC 12 at -O3 takes that front insertion for an
  // overlapping copy (a false -Wrestrict).
  std::u16string command = u"\"";
  command.append(programPath).append(u"\" /update");
  return command;
}

}  // namespace tessaly
