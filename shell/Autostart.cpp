#include "shell/Autostart.h"

#include <memory>

#include "platform/RegistryValues.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kRunKeyPath = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The longest Run value read: a quoted path of the longest the system allows, with room for
// arguments. A longer value is not taken as naming the program.
constexpr std::size_t kRunValueBytes = 2 * 32768 * sizeof(char16_t);

std::u16string_view AfterLast(std::u16string_view text, char16_t separator) {
  const std::size_t at = text.rfind(separator);
  return at == std::u16string_view::npos ? text : text.substr(at + 1);
}

// REG_SZ of the path in double quotes, without a terminating zero as older versions wrote
// it. The value is a command line: unquoted, a path with spaces ("C:\Program Files\...")
// would let the system try "C:\Program.exe" first when the user logs on.
RegistryValue RunValueOf(std::u16string_view path) {
  RegistryValue value{RegistryType::String, {}};
  const auto append = [&value](char16_t c) {
    value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
    value.data.push_back(static_cast<std::uint8_t>(c >> 8));
  };
  append(u'"');
  for (const char16_t c : path) {
    append(c);
  }
  append(u'"');
  return value;
}

}  // namespace

std::u16string AutostartName(std::u16string_view programPath) {
  std::u16string_view name = AfterLast(AfterLast(programPath, u'\\'), u'/');
  return std::u16string(name.substr(0, name.find(u'.')));
}

Autostart::Autostart(const Registry& registry, LogonTasks& tasks, bool vistaOrLater,
                     std::u16string_view programPath)
    : registry_(registry),
      tasks_(tasks),
      vistaOrLater_(vistaOrLater),
      programPath_(programPath),
      name_(AutostartName(programPath)) {}

bool Autostart::RunValueNamesProgram(RegistryRoot root) const {
  const std::unique_ptr<RegistryKey> key =
      registry_.OpenKey(root, kRunKeyPath, RegistryAccess::Read, RegistryView::Default);
  if (!key) {
    return false;
  }
  const RegistryRead<std::u16string> text = ReadString(*key, name_, kRunValueBytes);
  return text.ok() && text.value.find(programPath_) != std::u16string::npos;
}

bool Autostart::IsAutostart() const {
  if (name_.empty()) {
    return false;
  }
  if (vistaOrLater_) {
    return tasks_.Exists(name_);
  }
  // The user's value hides the machine's, as the user-specific lookup does.
  const std::unique_ptr<RegistryKey> userKey = registry_.OpenKey(
      RegistryRoot::CurrentUser, kRunKeyPath, RegistryAccess::Read, RegistryView::Default);
  RegistryValue ignored;
  if (userKey && userKey->ReadValue(name_, ignored) == RegistryStatus::Ok) {
    return RunValueNamesProgram(RegistryRoot::CurrentUser);
  }
  return RunValueNamesProgram(RegistryRoot::LocalMachine);
}

bool Autostart::SetAutostart(bool on) {
  // Without a name the entry would be the Run key's default value or an unnamed task.
  if (name_.empty()) {
    return false;
  }
  if (vistaOrLater_) {
    return on ? tasks_.Create(name_, programPath_) : tasks_.Delete(name_);
  }
  if (on) {
    const std::unique_ptr<RegistryKey> key =
        registry_.CreateKey(RegistryRoot::CurrentUser, kRunKeyPath, RegistryAccess::ReadWrite,
                            RegistryView::Default);
    return key && key->WriteValue(name_, RunValueOf(programPath_)) == RegistryStatus::Ok;
  }
  const std::unique_ptr<RegistryKey> key = registry_.OpenKey(
      RegistryRoot::CurrentUser, kRunKeyPath, RegistryAccess::ReadWrite, RegistryView::Default);
  return key && key->DeleteValue(name_) == RegistryStatus::Ok;
}

}  // namespace tessaly
