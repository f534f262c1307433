#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaly::ravelin {

// Which system directory a file test looks in on 64-bit Windows.
enum class FileView {
  ThirtyTwoBit,  // the 32-bit system directory (what a 32-bit process sees by redirection)
  Native,        // the native system directory, file redirection switched off for the thread
};

// What the installed-middleware check reads of the system. Texts and paths are ANSI.
class MiddlewareSystem {
 public:
  virtual ~MiddlewareSystem() = default;
  // A string value under the local machine, at most 260 bytes with its terminator; nothing
  // when the key or value is missing, is no string or is longer. `thirtyTwoBitView` asks for
  // the 32-bit registry view, otherwise the library's own view is used.
  virtual std::optional<std::string> ReadMachineString(std::string_view keyPath,
                                                       std::string_view valueName,
                                                       bool thirtyTwoBitView) const = 0;
  // A value of an ini file, at most 127 characters; empty when missing.
  virtual std::string ReadIniValue(const std::string& file, std::string_view section,
                                   std::string_view name) const = 0;
  virtual bool IsNative64BitWindows() const = 0;
  // The system directory of that view, without a trailing backslash; empty on failure.
  virtual std::string SystemDirectory(FileView view) const = 0;
  virtual bool FileExists(const std::string& path, FileView view) const = 0;
};

}  // namespace tessaly::ravelin
