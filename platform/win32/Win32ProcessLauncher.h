#pragma once

#include <mutex>

#include "platform/ProcessLauncher.h"

namespace tessaly::win32 {

class Win32ProcessLauncher final : public ProcessLauncher {
 public:
  bool RunCommand(std::u16string_view commandLine, bool wait) override;
  // From now on no process is started (RunCommand answers false): the program is ending,
  // and nothing may start an installer or the program itself after it. A process being
  // started meanwhile is started whole before this returns; one that runs is left to
  // finish on its own.
  void RefuseNewProcesses();

 private:
  std::mutex starting_;
  bool refused_ = false;
};

}  // namespace tessaly::win32
