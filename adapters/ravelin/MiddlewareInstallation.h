#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "adapters/ravelin/MiddlewareSystem.h"

namespace tessaly::ravelin {

inline constexpr std::string_view kProviderName = "Watchdata CSP v3.3";

// What Ravelin knows of the Watchdata middleware installed on the PC (not the copy it
// carries): whether it is complete, its version, and which call form its token manager needs.
class MiddlewareInstallation {
 public:
  explicit MiddlewareInstallation(const MiddlewareSystem& system) : system_(system) {}

  // A value of section "WatchSAFE3.2" of the installed WatchSafe.ini; nothing when empty.
  std::optional<std::string> ReadWatchSafeValue(std::string_view name) const;
  // Middleware before 3.3.8 takes the shorter form of the key-to-certificate call.
  bool IsOldMiddleware() const;
  // "RealVersion", else "DisplayVersion" of the uninstall entry; nothing when neither.
  std::optional<std::string> ReadInstalledVersion() const;
  // The version, the 32-bit view's files and, on 64-bit Windows, the native view's files.
  bool CheckMiddlewareInstalled() const;

 private:
  bool AllFilesExist(FileView view) const;

  const MiddlewareSystem& system_;
};

}  // namespace tessaly::ravelin
