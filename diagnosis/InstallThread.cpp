#include "diagnosis/InstallThread.h"

#include <system_error>

namespace tessaly {

InstallThread::~InstallThread() {
  queue_.Close();
  WaitForEnded();
}

void InstallThread::WaitForEnded() {
  if (thread_.joinable()) {
    thread_.join();
  }
}

bool InstallThread::Start() {
  WaitForEnded();
  try {
    thread_ = std::thread(body_);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

}  // namespace tessaly
