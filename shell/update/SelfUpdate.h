#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "diagnosis/DiagnosisOperations.h"
#include "shell/ShellOperations.h"
#include "shell/update/UpdateWorker.h"

namespace tessaly {

// The literal notice of the page method `update` when the program is current.
inline constexpr std::u16string_view kAlreadyCurrentNotice = u"已是最新版本，不需要更新";

// The self-update of one program: the start-up's update check (when one is due) and the
// page method `update`, each running UpdateWorker on a thread of its own. At most one
// worker runs at a time; a start while one runs is refused, since two would ask twice,
// download into the same file and swap the program twice.
class SelfUpdate {
 public:
  explicit SelfUpdate(const UpdateWorkerContext& context) : context_(context) {}
  // Waits for a running worker, which uses what the context names.
  ~SelfUpdate();
  SelfUpdate(const SelfUpdate&) = delete;
  SelfUpdate& operator=(const SelfUpdate&) = delete;

  // Starts the worker; false when one runs already or no thread can be made.
  bool Start();
  // The page method `update`: starts the worker when the program needs an update, else
  // says that it is current. Does nothing while a worker runs.
  void update();
  bool Running() const { return running_.load(std::memory_order_acquire); }

  // Binds the start-up's due test and update start, and the page method, which does nothing
  // until `configurationSettled` answers true: before, the record may still be written.
  void BindTo(DiagnosisOperations& operations, ShellOperations& shell,
              std::function<bool()> configurationSettled);

 private:
  UpdateWorkerContext context_;
  std::atomic<bool> running_{false};
  std::thread thread_;
};

}  // namespace tessaly
