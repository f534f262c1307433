#pragma once

#include <string>
#include <string_view>

#include "platform/LogonTasks.h"
#include "platform/Registry.h"

namespace tessaly {

// The name of the start-at-logon entry: the program file's name up to its first ".",
// whatever folder it lies in ("C:\\x.y\\Tessaly.new.exe" gives "Tessaly").
std::u16string AutostartName(std::u16string_view programPath);

// Start at logon of the program at its full path: a scheduled task on Windows Vista and
// later (it starts the elevated program without a prompt), a value of the current user's
// Run key before. Every failure answers false and is otherwise silent.
class Autostart {
 public:
  Autostart(const Registry& registry, LogonTasks& tasks, bool vistaOrLater,
            std::u16string_view programPath);

  bool IsAutostart() const;
  bool SetAutostart(bool on);

 private:
  bool RunValueNamesProgram(RegistryRoot root) const;

  const Registry& registry_;
  LogonTasks& tasks_;
  bool vistaOrLater_;
  std::u16string programPath_;
  std::u16string name_;
};

}  // namespace tessaly
