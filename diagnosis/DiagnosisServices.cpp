#include "diagnosis/DiagnosisServices.h"

#include "diagnosis/PageCodes.h"

namespace tessaly {

bool IsConfigurationSettled(const DiagnosisServices& services) {
  return services.config.configReady.load(std::memory_order_acquire) ||
         !services.state.configWorkerRunning.load(std::memory_order_acquire);
}

void SendProgress(PageSink& page, std::int32_t percent) {
  page.setState(kCategoryProgress, kCheckProgressItem, percent);
}

void SendStatus(PageSink& page, std::int32_t code) {
  page.setState(kCategoryProgress, kStatusItem, code);
}

void ReportCheckItem(PageSink& page, std::int32_t item, bool ok) {
  page.setState(kCategoryCheckItem, item, ok ? kItemNormal : kItemAbnormal);
}

}  // namespace tessaly
