#include "diagnosis/ServiceCheckThread.h"

#include <system_error>
#include <utility>

namespace tessaly {

ServiceCheckThread::ServiceCheckThread(std::function<void()> body) : body_(std::move(body)) {}

ServiceCheckThread::~ServiceCheckThread() {
  if (thread_.joinable()) {
    thread_.join();
  }
}

bool ServiceCheckThread::Start() {
  if (running_.load(std::memory_order_acquire)) {
    return false;
  }
  if (thread_.joinable()) {
    thread_.join();
  }
  running_.store(true, std::memory_order_release);
  try {
    thread_ = std::thread([this] {
      body_();
      running_.store(false, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    running_.store(false, std::memory_order_release);
    return false;
  }
  return true;
}

}  // namespace tessaly
