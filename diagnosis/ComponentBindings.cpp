#include "diagnosis/ComponentBindings.h"

#include "diagnosis/ItemDetection.h"
#include "diagnosis/ItemReport.h"

namespace tessaly {

ComponentBindings::ComponentBindings(const DiagnosisServices& services,
                                     const ComponentPlatform& detection,
                                     const InstallPlatform& installation)
    : services_(services),
      detection_(detection),
      workerContext_{queue_, services.state, services.timers, services.prompts, installation},
      installer_(services, detection, queue_, thread_),
      thread_(queue_, [this] { InstallWorker(workerContext_); }) {}

void ComponentBindings::BindTo(DiagnosisOperations& operations) {
  operations.detectItems = [this](std::vector<ComponentItem>& records) {
    DetectItems(detection_, records);
  };
  operations.reportItem = [this](std::int32_t number) {
    ReportItem(services_.config, services_.state, services_.page, number);
  };
  operations.install = [this](std::int32_t number) { installer_.install(number); };
  operations.installAndFix = [this] { installer_.installandfix(); };
}

bool ComponentBindings::InstallsPending() const {
  return services_.state.installing.load() || queue_.WorkerRunning() || !queue_.Empty();
}

}  // namespace tessaly
