#include "adapters/ravelin/MiddlewareInstallation.h"

#include "adapters/ravelin/InstalledMiddlewareFiles.h"

#include <cstring>
#include <span>

namespace tessaly::ravelin {
namespace {

constexpr std::string_view kProviderKey = "SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\";
constexpr std::string_view kWatchSafeSection = "WatchSAFE3.2";
constexpr const char* kVersionThreshold = "3.3.8";

}  // namespace

std::optional<std::string> MiddlewareInstallation::ReadWatchSafeValue(std::string_view name) const {
  std::string iniPath;
  const std::optional<std::string> imagePath =
      system_.ReadMachineString(std::string(kProviderKey) + std::string(kProviderName), "Image Path",
                                false);
  if (imagePath) {
    const std::size_t slash = imagePath->rfind('\\');
    iniPath = (slash == std::string::npos ? std::string() : imagePath->substr(0, slash + 1)) +
              "WatchSafe.ini";
  }
  std::string value = system_.ReadIniValue(iniPath, kWatchSafeSection, name);
  if (value.empty()) {
    return std::nullopt;
  }
  return value;
}

bool MiddlewareInstallation::IsOldMiddleware() const {
  const std::optional<std::string> version = ReadWatchSafeValue("ProductVersion");
  // Byte by byte, as the middleware's own installers compare it: 3.3.10 counts as old.
  return version && std::strcmp(version->c_str(), kVersionThreshold) < 0;
}

std::optional<std::string> MiddlewareInstallation::ReadInstalledVersion() const {
  const bool thirtyTwoBitView = system_.IsNative64BitWindows();
  if (auto real = system_.ReadMachineString(kUninstallKey, "RealVersion", thirtyTwoBitView)) {
    return real;
  }
  return system_.ReadMachineString(kUninstallKey, "DisplayVersion", thirtyTwoBitView);
}

bool MiddlewareInstallation::AllFilesExist(FileView view) const {
  const std::string systemDirectory = system_.SystemDirectory(view);
  if (systemDirectory.empty()) {
    return false;
  }
  const std::string folder = systemDirectory + std::string(kMiddlewareFolder);
  const std::span<const std::string_view> files =
      view == FileView::Native ? std::span<const std::string_view>(kNativeFolderFiles)
                               : std::span<const std::string_view>(kThirtyTwoBitFolderFiles);
  for (const std::string_view file : files) {
    if (!system_.FileExists(folder + std::string(file), view)) {
      return false;
    }
  }
  return system_.FileExists(systemDirectory + "\\" + std::string(kSystemDirectoryFile), view);
}

bool MiddlewareInstallation::CheckMiddlewareInstalled() const {
  if (!ReadInstalledVersion() || !AllFilesExist(FileView::ThirtyTwoBit)) {
    return false;
  }
  return !system_.IsNative64BitWindows() || AllFilesExist(FileView::Native);
}

}  // namespace tessaly::ravelin
