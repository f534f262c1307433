#pragma once

#include "platform/LogonTasks.h"

namespace tessaly::win32 {

// Logon tasks through the Task Scheduler 2.0 interfaces, in the root folder "\", authored
// "Brimvane", run by the administrators' group at the highest level. Every call needs COM
// initialised on the calling thread. Where the scheduler cannot make a logon trigger (Wine
// answers E_NOTIMPL), the task is still registered, without a trigger.
class Win32LogonTasks final : public LogonTasks {
 public:
  bool Create(std::u16string_view name, std::u16string_view programPath) override;
  bool Delete(std::u16string_view name) override;
  bool Exists(std::u16string_view name) override;
};

}  // namespace tessaly::win32
