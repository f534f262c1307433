#include "diagnosis/Verdict.h"

#include "diagnosis/ItemState.h"
#include "diagnosis/PageCodes.h"

namespace tessaly {
namespace {

constexpr std::uint32_t kUserTypeWithoutKey = 2;
constexpr std::string_view kDriverType = "driver";

// Without a configuration the checks ran on empty groups and measured nothing: that is
// never "met".
bool AllChecksPassed(const CheckConfig& config) {
  return config.configReady.load(std::memory_order_acquire) && config.homePageOk && config.registryOk && config.hostsOk && config.networkOk &&
         config.dnsOk && config.serviceOk.load(std::memory_order_acquire) &&
         config.zoneLevelsOk && config.trustOk && config.rootCertOk;
}

bool NeedsAttention(const ComponentItem& item, std::uint32_t userType) {
  if (item.type == kDriverType) {
    return userType != kUserTypeWithoutKey && (item.state & kDriverVerdictMask) != 0;
  }
  return item.state != 0;
}

bool AnyComponentNeedsAttention(const CheckConfig& config, std::uint32_t userType) {
  for (std::size_t index = 1; index < config.items.size(); ++index) {
    if (NeedsAttention(config.items[index], userType)) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::int32_t ComputeVerdict(const CheckConfig& config, std::uint32_t userType) {
  std::int32_t verdict = AllChecksPassed(config) ? kVerdictMet : kVerdictCheckFailed;
  if (AnyComponentNeedsAttention(config, userType)) {
    verdict |= kVerdictComponentNeedsAttention;
  }
  return verdict;
}

void ReportVerdict(const DiagnosisServices& services) {
  const std::int32_t verdict =
      ComputeVerdict(services.config, services.settings.ReadDword(kUserType));
  if (verdict == kVerdictMet && services.state.completionNotice) {
    // Cleared before the box: the box runs a message loop in which timers (an install's
    // final step) may reach this again, and the notice is meant to show once.
    services.state.completionNotice = false;
    services.prompts.ShowInfoText(kCompletionNoticeText);
  }
  services.page.setState(kCategoryProgress, kVerdictItem, verdict);
}

}  // namespace tessaly
