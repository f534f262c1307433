#pragma once

#include <string_view>

namespace tessaly {

// Scheduled tasks in the root folder of the Task Scheduler that start a program at logon
// with the highest privileges, for any member of the administrators.
class LogonTasks {
 public:
  virtual ~LogonTasks() = default;
  // Replaces any task `name` by one that runs `programPath`; true when it was registered.
  virtual bool Create(std::u16string_view name, std::u16string_view programPath) = 0;
  // True when the root folder could be reached, whether or not a task was deleted.
  virtual bool Delete(std::u16string_view name) = 0;
  // True when a task of that name exists; what it runs is not compared.
  virtual bool Exists(std::u16string_view name) = 0;
};

}  // namespace tessaly
