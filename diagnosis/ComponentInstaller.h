#pragma once

#include <cstdint>
#include <optional>
#include <set>

#include "diagnosis/ComponentPlatform.h"
#include "diagnosis/DiagnosisServices.h"
#include "diagnosis/InstallQueue.h"
#include "diagnosis/InstallThread.h"
#include "diagnosis/RepairDispatcher.h"

namespace tessaly {

// The page methods `install` and `installandfix` and the queueing behind them, on the GUI
// thread, starting the install worker on `worker` when a job needs one.
class ComponentInstaller {
 public:
  ComponentInstaller(const DiagnosisServices& services, const ComponentPlatform& platform,
                     InstallQueue& queue, InstallThread& worker);

  // Item `number` (1-based): re-enables its disabled control, queues its jobs unless it is
  // current (or undetected) and re-runs the final step. 0 installs every item from the
  // second on that applies to the user's key type. Ignored while the worker runs, except
  // from the install-all loop.
  void install(std::int32_t number);
  // The one-click repair: every failing check, then the installs, then the first item's
  // disabled control. Every item it installs is queued once, also a disabled control that
  // its repair already installed. Does nothing during a diagnosis.
  void installandfix();
  // Appends a job; starts the worker when online and none runs.
  void EnqueueInstall(InstallJob job);

 private:
  void InstallAll();
  void InstallItem(std::size_t index);
  void EnableDisabledControls(const ComponentItem& item);

  DiagnosisServices services_;
  ComponentPlatform platform_;
  InstallQueue& queue_;
  InstallThread& worker_;
  RepairDispatcher repairs_;
  // True while `install` with 0 or the one-click repair runs, so that its own calls pass
  // the worker check.
  bool installAll_ = false;
  // The items queued by the running one-click repair; nothing outside it.
  std::optional<std::set<std::size_t>> oneClickQueued_;
};

}  // namespace tessaly
