#include "tests/diagnosis/DiagnosisHarness.h"

#include "diagnosis/PageCodes.h"

namespace tessaly {
namespace {

std::unique_ptr<RegistryKey> SettingsKey(const FakeRegistry& registry) {
  return registry.CreateKey(RegistryRoot::CurrentUser, kSettingsKeyPath, RegistryAccess::ReadWrite,
                            RegistryView::Default);
}

}  // namespace

DiagnosisHarness::DiagnosisHarness()
    : settings(SettingsKey(fakeRegistry), clock),
      sequence({config, state, operations, timers, page, settings, prompts}) {
  clock.utcOffsetSeconds = 8 * 3600;
  clock.now = clock.At({2018, 5, 4, 9, 3, 7});
  timers.SetHandler([this](int id) { sequence.OnTimer(id); });
  BindOperations();
}

DiagnosisHarness::~DiagnosisHarness() { JoinServiceWorker(); }

bool DiagnosisHarness::RunScripted(ScriptedCheck& check, const char* name, bool repair) {
  log.push_back(std::string(name) + (repair ? "(repair)" : "(measure)"));
  if (repair && check.repairable) {
    check.healthy = true;
  }
  return check.healthy;
}

void DiagnosisHarness::BindOperations() {
  operations.registryCheck = [this](bool repair) { return RunScripted(registry, "registry", repair); };
  operations.homePageCheck = [this](bool repair) { return RunScripted(homePage, "homePage", repair); };
  operations.hostsCheck = [this](bool repair) { return RunScripted(hosts, "hosts", repair); };
  operations.zoneLevelsCheck = [this](bool repair) {
    return RunScripted(zoneLevels, "zoneLevels", repair);
  };
  operations.trustedSitesCheck = [this](bool repair) {
    return RunScripted(trustedSites, "trustedSites", repair);
  };
  operations.dnsCheck = [this] {
    log.push_back("dns");
    return dnsResolves;
  };
  operations.sslCacheClear = [this] {
    log.push_back("sslCacheClear");
    return sslCacheClears;
  };
  operations.rootCertificateCheck = [this] {
    log.push_back("rootCheck");
    return rootInstalled ? std::int32_t{0} : std::int32_t{-2147467259};  // E_FAIL
  };
  operations.rootCertificateInstall = [this] {
    log.push_back("rootInstall");
    rootInstalled = rootInstalled || rootInstallWorks;
    return rootInstallWorks ? std::int32_t{0} : std::int32_t{-2147467259};
  };
  operations.startServiceWorker = [this] {
    log.push_back("startServiceWorker");
    switch (serviceMode) {
      case ServiceWorkerMode::AnswersAtOnce:
        FinishServiceWorker(serviceReachable);
        return true;
      case ServiceWorkerMode::AnswersLater:
        return true;
      case ServiceWorkerMode::CannotStart:
        return false;
      case ServiceWorkerMode::RealThread:
        JoinServiceWorker();
        serviceThread_ = std::thread([this, reachable = serviceReachable] {
          config.serviceOk.store(reachable, std::memory_order_relaxed);
          config.serviceDone.store(true, std::memory_order_release);
        });
        return true;
    }
    return false;
  };
  operations.isConnected = [this] { return connected; };
  operations.detectItems = [this](std::vector<ComponentItem>& records) {
    log.push_back(&records == &config.items ? "detectItems" : "detectComponents");
    if (&records != &config.items) {
      return;
    }
    for (std::size_t index = 0; index < records.size() && index < detectedStates.size(); ++index) {
      records[index].state = detectedStates[index];
    }
  };
  // As the component report does: the item's state word goes to the page.
  operations.reportItem = [this](std::int32_t item) {
    log.push_back("reportItem(" + std::to_string(item) + ")");
    const std::uint32_t itemState = config.items.at(static_cast<std::size_t>(item - 1)).state;
    page.setState(kCategoryComponent, item, static_cast<std::int32_t>(itemState));
  };
  operations.install = [this](std::int32_t item) {
    log.push_back("install(" + std::to_string(item) + ")");
  };
  // As the key probe does: it blanks the key panel first.
  operations.probeUsbKey = [this] {
    log.push_back("probeUsbKey");
    page.clearState(kCategoryUsbKey, 2);
  };
  operations.isUpdateDue = [this] { return updateDue; };
  operations.startUpdateThread = [this] { log.push_back("startUpdateThread"); };
}

void DiagnosisHarness::SetItems(const std::vector<std::string>& types) {
  config.items.clear();
  for (const std::string& type : types) {
    ComponentItem item;
    item.type = type;
    config.items.push_back(item);
  }
}

void DiagnosisHarness::SetUserType(std::uint32_t userType) {
  settings.WriteDword(kUserType, userType);
}

void DiagnosisHarness::MakeConfigReady() {
  config.configReady.store(true, std::memory_order_release);
  state.configWorkerRunning.store(false, std::memory_order_release);
}

void DiagnosisHarness::SetAllFlags(bool ok) {
  config.homePageOk = config.registryOk = config.hostsOk = config.networkOk = ok;
  config.dnsOk = config.zoneLevelsOk = config.trustOk = config.rootCertOk = ok;
  config.serviceOk.store(ok);
}

void DiagnosisHarness::FinishServiceWorker(bool reachable) {
  config.serviceOk.store(reachable, std::memory_order_relaxed);
  config.serviceDone.store(true, std::memory_order_release);
}

void DiagnosisHarness::JoinServiceWorker() {
  if (serviceThread_.joinable()) {
    serviceThread_.join();
  }
}

std::vector<PageCall> StepStart(std::int32_t progress, std::int32_t status) {
  return {PageCall::SetState(kCategoryProgress, kCheckProgressItem, progress),
          PageCall::SetState(kCategoryProgress, kStatusItem, status)};
}

PageCall Item(std::int32_t item, bool ok) {
  return PageCall::SetState(kCategoryCheckItem, item, ok ? 0 : 1);
}

PageCall Status(std::int32_t code) { return PageCall::SetState(kCategoryProgress, kStatusItem, code); }

PageCall Verdict(std::int32_t verdict) {
  return PageCall::SetState(kCategoryProgress, kVerdictItem, verdict);
}

std::vector<PageCall> Concat(std::initializer_list<std::vector<PageCall>> parts) {
  std::vector<PageCall> joined;
  for (const std::vector<PageCall>& part : parts) {
    joined.insert(joined.end(), part.begin(), part.end());
  }
  return joined;
}

}  // namespace tessaly
