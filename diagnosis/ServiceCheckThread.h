#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace tessaly {

// Owns the thread of the service check, so that the diagnosis can start it and poll
// `serviceDone` without holding a thread handle itself. The body is normally
//   [&] { ServiceCheckWorker(config, internet, codePages); }.
class ServiceCheckThread {
 public:
  explicit ServiceCheckThread(std::function<void()> body);
  // Waits for a running body to end.
  ~ServiceCheckThread();
  ServiceCheckThread(const ServiceCheckThread&) = delete;
  ServiceCheckThread& operator=(const ServiceCheckThread&) = delete;

  // Runs the body on a new thread, after joining the thread of an earlier run that has
  // ended. False, and nothing started, when an earlier run is still going (a second worker
  // would write the same flags, and waiting here would block the GUI thread for as long as
  // the probe takes) or when no thread can be created.
  bool Start();
  // Whether a body runs now.
  bool Running() const { return running_.load(std::memory_order_acquire); }

 private:
  std::function<void()> body_;
  std::atomic<bool> running_{false};
  std::thread thread_;
};

}  // namespace tessaly
