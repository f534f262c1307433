#include "diagnosis/ComponentInstaller.h"

#include <string>
#include <utility>

#include "config/TextConversion.h"
#include "config/UserType.h"
#include "diagnosis/ComponentPresence.h"
#include "diagnosis/DiagnosisTimers.h"
#include "diagnosis/ItemState.h"
#include "diagnosis/PageCodes.h"
#include "shell/SettingsNames.h"

namespace tessaly {
namespace {

// The user type of a user without a USB key, who needs no key drivers or key controls.
constexpr std::uint32_t kNoUsbKeyUser = 2;

bool IsKeyComponent(const ComponentItem& item) {
  return item.type == "UActiveX" || item.type == "driver";
}

}  // namespace

ComponentInstaller::ComponentInstaller(const DiagnosisServices& services,
                                       const ComponentPlatform& platform, InstallQueue& queue,
                                       InstallThread& worker)
    : services_(services),
      platform_(platform),
      queue_(queue),
      worker_(worker),
      repairs_(services) {}

void ComponentInstaller::install(std::int32_t number) {
  if (services_.state.installing.load() && !installAll_) {
    return;
  }
  const std::vector<ComponentItem>& items = services_.config.items;
  if (number == 0) {
    InstallAll();
    return;
  }
  if (number < 0 || static_cast<std::size_t>(number) > items.size()) {
    services_.timers.Arm(kTimerFinalStep, 0);
    return;
  }
  InstallItem(static_cast<std::size_t>(number) - 1);
}

void ComponentInstaller::InstallItem(std::size_t index) {
  const ComponentItem& item = services_.config.items[index];
  if ((item.state & kItemDisabledInBrowser) != 0) {
    EnableDisabledControls(item);  // bit 30 stays: the next detection clears it
  }
  const std::uint32_t code = item.state & kItemStateCodeMask;
  if (code == kItemStateCurrent || code == kItemStateNotDetected) {
    return;
  }
  if (oneClickQueued_ && !oneClickQueued_->insert(index).second) {
    return;  // queued already by this one-click repair
  }
  for (InstallJob& job : JobsFor(item, static_cast<int>(index))) {
    EnqueueInstall(std::move(job));
  }
  services_.timers.Arm(kTimerFinalStep, 0);
}

void ComponentInstaller::InstallAll() {
  installAll_ = true;
  const std::uint32_t userType = services_.settings.ReadDword(kUserType);
  // The size is read on every turn: nothing here changes the list, but the loop must not
  // trust that of the calls it makes.
  for (std::size_t index = 1; index < services_.config.items.size(); ++index) {
    const ComponentItem& item = services_.config.items[index];
    if (IsKeyComponent(item) &&
        (userType == kNoUsbKeyUser ||
         static_cast<std::uint32_t>(UserTypeOfClass(item.className)) != userType)) {
      continue;
    }
    install(static_cast<std::int32_t>(index + 1));
  }
  installAll_ = false;
  services_.timers.Arm(kTimerFinalStep, 0);
}

void ComponentInstaller::installandfix() {
  if (services_.state.checking) {
    return;
  }
  // The repair of disabled controls installs them and may start the worker; the installs
  // that follow belong to the same click and must neither be refused for that worker nor
  // queue a control a second time. A worker that ran before the click still refuses them.
  const bool refused = services_.state.installing.load();
  oneClickQueued_.emplace();
  installAll_ = !refused;
  repairs_.fix(kRepairAllFailing);
  if (!refused) {
    InstallAll();
  }
  installAll_ = false;
  oneClickQueued_.reset();
  std::vector<ComponentItem>& items = services_.config.items;
  if (!items.empty() && (items.front().state & kItemDisabledInBrowser) != 0) {
    ComponentItem& first = items.front();
    EnableDisabledControls(first);
    first.state &= ~kItemDisabledInBrowser;
    services_.page.setState(kCategoryComponent, 1, StateForPage(first.state));
  }
}

void ComponentInstaller::EnableDisabledControls(const ComponentItem& item) {
  for (const DetectRule& rule : item.detects) {
    if (rule.type == "clsid") {
      IsAddonDisabled(platform_.registry, Utf8ToWide(platform_.codePages, rule.text), true);
    }
  }
}

void ComponentInstaller::EnqueueInstall(InstallJob job) {
  if (!queue_.Append(std::move(job), services_.config.networkOk)) {
    return;  // a worker runs and will come to it, or offline: it waits for a later enqueue
  }
  // Marked before the thread exists, so that no `check` slips in before the worker runs,
  // and after the thread of the last worker has ended, which clears the flag as it goes.
  worker_.WaitForEnded();
  services_.state.installing.store(true);
  if (!worker_.Start()) {
    queue_.WorkerNotStarted();
    services_.state.installing.store(false);
    return;
  }
  services_.timers.Arm(kTimerDownloadProgress, kDownloadProgressDelayMs);
}

}  // namespace tessaly
