#pragma once

#include <functional>
#include <thread>

#include "diagnosis/InstallQueue.h"

namespace tessaly {

// Owns the install worker's thread. A worker is started only when the queue says none runs,
// so a thread still held here has handed its last job back and is merely ending: starting
// the next one waits for that first.
class InstallThread {
 public:
  InstallThread(InstallQueue& queue, std::function<void()> body)
      : queue_(queue), body_(std::move(body)) {}
  // Drops the queued jobs, so a running worker ends after its current job, and waits for it.
  ~InstallThread();
  InstallThread(const InstallThread&) = delete;
  InstallThread& operator=(const InstallThread&) = delete;

  // Waits for the thread of an earlier worker to end.
  void WaitForEnded();
  // Runs the body on a new thread, once an earlier one has ended; false when no thread can
  // be created.
  bool Start();

 private:
  InstallQueue& queue_;
  std::function<void()> body_;
  std::thread thread_;
};

}  // namespace tessaly
