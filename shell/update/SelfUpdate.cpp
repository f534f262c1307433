#include "shell/update/SelfUpdate.h"

#include <system_error>
#include <utility>

#include "shell/update/UpdateRecord.h"

namespace tessaly {

SelfUpdate::~SelfUpdate() {
  if (thread_.joinable()) {
    thread_.join();
  }
}

bool SelfUpdate::Start() {
  if (running_.exchange(true, std::memory_order_acq_rel)) {
    return false;
  }
  // An earlier worker has cleared the flag as its last act: it is merely ending.
  if (thread_.joinable()) {
    thread_.join();
  }
  try {
    thread_ = std::thread([this] {
      UpdateWorker(context_);
      running_.store(false, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    running_.store(false, std::memory_order_release);
    return false;
  }
  return true;
}

void SelfUpdate::update() {
  if (Running()) {
    return;
  }
  const UpdatePlatform& platform = context_.platform;
  if (IsUpdateNeeded(platform.detection, context_.config.appInfo, platform.programPath)) {
    Start();
  } else {
    context_.prompts.ShowInfoText(kAlreadyCurrentNotice);
  }
}

void SelfUpdate::BindTo(DiagnosisOperations& operations, ShellOperations& shell,
                        std::function<bool()> configurationSettled) {
  operations.isUpdateDue = [this] { return context_.settings.IsUpdateDue(); };
  operations.startUpdateThread = [this] { Start(); };
  shell.update = [this, settled = std::move(configurationSettled)] {
    if (settled()) {
      update();
    }
  };
}

}  // namespace tessaly
