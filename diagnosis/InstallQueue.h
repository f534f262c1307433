#pragma once

#include <deque>
#include <mutex>
#include <optional>

#include "diagnosis/InstallJob.h"

namespace tessaly {

// The first-in first-out queue of install jobs and whether a worker serves it, under one
// lock: the GUI thread appends, the worker reads the front job and removes it once it has
// run. Whether a worker runs changes only together with the queue, so an append never finds
// a worker that is about to end without seeing the new job.
class InstallQueue {
 public:
  // Appends the job. With `mayStartWorker`, when no worker runs, marks one as running and
  // answers true: the caller must then start it (or call WorkerNotStarted).
  bool Append(InstallJob job, bool mayStartWorker);
  // The caller could not start the worker it was asked to; the jobs wait for a later one.
  void WorkerNotStarted();

  // A copy of the job at the front; nothing when the queue is empty.
  std::optional<InstallJob> Front() const;
  // Removes the front job; with `stop` the remaining jobs go too. Answers whether the
  // worker goes on: when the queue is now empty, no worker runs any more.
  bool RemoveFront(bool stop);
  // Drops every job: a running worker ends after its current one.
  void Close();

  bool WorkerRunning() const;
  bool Empty() const;

 private:
  mutable std::mutex mutex_;
  std::deque<InstallJob> jobs_;
  bool workerRunning_ = false;
};

}  // namespace tessaly
