#include "diagnosis/RepairDispatcher.h"

#include "diagnosis/CheckMeasurements.h"
#include "diagnosis/ItemState.h"
#include "diagnosis/PageCodes.h"
#include "diagnosis/Verdict.h"
#include "resources/StringTable.h"

namespace tessaly {
namespace {

struct FailingCheckRepair {
  bool CheckConfig::*resultFlag = nullptr;
  std::int32_t item = 0;
};

// The order of the repair-all run: the hosts file before the certificates, the registry
// after the zones (whose repair rewrites registry values itself).
constexpr FailingCheckRepair kRepairOrder[] = {
    {&CheckConfig::hostsOk, kHostsItem},        {&CheckConfig::rootCertOk, kRootCertificateItem},
    {&CheckConfig::homePageOk, kHomePageItem},  {&CheckConfig::zoneLevelsOk, kZoneLevelsItem},
    {&CheckConfig::registryOk, kRegistryItem},  {&CheckConfig::trustOk, kTrustedSitesItem},
};

}  // namespace

void RepairDispatcher::fix(std::int32_t item) {
  if (!IsConfigurationSettled(services_)) {
    return;
  }
  if (item == kRepairAllFailing) {
    RepairAllFailing();
    return;
  }
  Repair(item);
  if (services_.state.fixReport) {
    EndRepair();
  }
}

void RepairDispatcher::RepairAllFailing() {
  services_.state.fixReport = false;
  // Each flag is looked at in its turn: an earlier repair may already have mended it.
  for (const FailingCheckRepair& repair : kRepairOrder) {
    if (!(services_.config.*repair.resultFlag)) {
      fix(repair.item);
    }
  }
  fix(kDisabledControlsItem);
  services_.operations.sslCacheClear();
  services_.state.fixReport = true;
  EndRepair();
}

void RepairDispatcher::Repair(std::int32_t item) {
  switch (item) {
    case kRegistryItem:
      AnnounceRepair(item);
      RepairAndReport(kRegistryCheck);
      break;
    case kHostsItem:
      AnnounceRepair(item);
      RepairHosts();
      break;
    case kRootCertificateItem:
      AnnounceRepair(item);
      RepairRootCertificate();
      break;
    case kHomePageItem:
      AnnounceRepair(item);
      RepairAndReport(kHomePageCheck);
      break;
    case kZoneLevelsItem:
      AnnounceRepair(item);
      RepairZoneLevels();
      break;
    case kTrustedSitesItem:
      AnnounceRepair(item);
      RepairAndReport(kTrustedSitesCheck);
      break;
    case kSslCacheItem:
      AnnounceRepair(item);
      ClearSslCache();
      break;
    case kDisabledControlsItem:
      ReenableDisabledControls();
      break;
    default:
      break;  // nothing to repair; the call still ends like a repair
  }
}

void RepairDispatcher::AnnounceRepair(std::int32_t item) {
  SendStatus(services_.page, kStatusRepairBase + item);
}

void RepairDispatcher::RepairAndReport(const RepairableCheck& check) {
  RunCheck(services_, check, true);
  MeasureAndReport(services_, check);
}

void RepairDispatcher::RepairHosts() {
  RepairAndReport(kHostsCheck);
  // The hosts file decides name resolution, so DNS is measured again.
  MeasureDns(services_);
  ReportCheckItem(services_.page, kDnsItem, services_.config.dnsOk);
}

void RepairDispatcher::RepairRootCertificate() {
  const DiagnosisOperations& operations = services_.operations;
  services_.config.rootCertOk =
      operations.rootCertificateCheck() < 0 ? operations.rootCertificateInstall() >= 0 : true;
  MeasureRootCertificate(services_);
  ReportCheckItem(services_.page, kRootCertificateItem, services_.config.rootCertOk);
}

void RepairDispatcher::RepairZoneLevels() {
  RunCheck(services_, kZoneLevelsCheck, true);
  // The zone levels live beside the configured registry values; that repair reports itself.
  fix(kRegistryItem);
  MeasureAndReport(services_, kZoneLevelsCheck);
}

void RepairDispatcher::ClearSslCache() {
  if (services_.operations.sslCacheClear()) {
    services_.prompts.ShowInfo(kStringSslCacheCleared);
  }
}

void RepairDispatcher::ReenableDisabledControls() {
  std::vector<ComponentItem>& items = services_.config.items;
  // The first item is optional and left alone here. The size is read on every turn
  // rather than trusting `install`, another part's code, to leave the list as it is.
  for (std::size_t index = 1; index < items.size(); ++index) {
    if ((items[index].state & kItemDisabledInBrowser) != 0) {
      services_.operations.install(static_cast<std::int32_t>(index + 1));
    }
  }
  for (std::size_t index = 1; index < items.size(); ++index) {
    ComponentItem& item = items[index];
    if ((item.state & kItemDisabledInBrowser) != 0) {
      item.state &= ~kItemDisabledInBrowser;
      services_.page.setState(kCategoryComponent, static_cast<std::int32_t>(index + 1),
                              StateForPage(item.state));
      break;
    }
  }
}

void RepairDispatcher::EndRepair() {
  SendStatus(services_.page, kStatusRepairDone);
  ReportVerdict(services_);
}

}  // namespace tessaly
