#pragma once

#include <windows.h>
#include <taskschd.h>

#include <string_view>

#include "platform/LogonTasks.h"
#include "platform/win32/UniqueComPtr.h"

namespace tessaly::win32 {

// Logon tasks through the Task Scheduler 2.0 interfaces, in the root folder "\", authored
// "Brimvane", run by the administrators' group at the highest level. Every call needs COM
// initialised on the calling thread. Where the scheduler cannot make a logon trigger (Wine
// answers E_NOTIMPL), the task is still registered, without a trigger.
// The definition Create registers, made by `service` (connected): the author, start when
// available, the logon trigger "Trigger1" where the scheduler makes one, the highest run
// level, and the program as the one action. nullptr when the author or the action cannot
// be set; the other parts are best effort.
unique_com_ptr<ITaskDefinition> MakeLogonTaskDefinition(ITaskService& service,
                                                        std::u16string_view programPath);

class Win32LogonTasks final : public LogonTasks {
 public:
  bool Create(std::u16string_view name, std::u16string_view programPath) override;
  bool Delete(std::u16string_view name) override;
  bool Exists(std::u16string_view name) override;
};

}  // namespace tessaly::win32
