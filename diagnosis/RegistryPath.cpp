#include "diagnosis/RegistryPath.h"

#include <string>

namespace tessaly {
namespace {

std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return upper;
}

}  // namespace

RegistryRoot RegistryRootNamed(std::string_view name) {
  const std::string upper = AsciiUpper(name);
  if (upper == "HKLM" || upper == "HKEY_LOCAL_MACHINE") {
    return RegistryRoot::LocalMachine;
  }
  if (upper == "HKCR" || upper == "HKEY_CLASSES_ROOT") {
    return RegistryRoot::ClassesRoot;
  }
  return RegistryRoot::CurrentUser;
}

std::optional<RegistryPath> SplitRegistryPath(std::string_view text) {
  const std::size_t separator = text.find('\\');
  if (separator == std::string_view::npos) {
    return std::nullopt;
  }
  return RegistryPath{RegistryRootNamed(text.substr(0, separator)), text.substr(separator + 1)};
}

}  // namespace tessaly
