#include "diagnosis/CheckBindings.h"

#include "certificates/RootCertificates.h"
#include "diagnosis/BrowserPolicyChecks.h"
#include "diagnosis/DnsCheck.h"
#include "diagnosis/HostsCheck.h"
#include "diagnosis/ServiceCheckWorker.h"
#include "diagnosis/SslCacheClear.h"
#include "diagnosis/TrustedSitesCheck.h"
#include "diagnosis/ZoneLevelsCheck.h"

namespace tessaly {

CheckBindings::CheckBindings(CheckConfig& config, const CheckPlatform& platform)
    : config_(config),
      platform_(platform),
      serviceThread_([this] {
        ServiceCheckWorker(config_, platform_.internet, platform_.codePages);
      }) {}

void CheckBindings::BindTo(DiagnosisOperations& operations) {
  CheckConfig& config = config_;
  const CheckPlatform& platform = platform_;
  const BrowserPolicyPlatform policy{platform.registry, platform.codePages, platform.random};
  const CertificateServices certificates{platform.certificateStores, platform.resources};

  operations.registryCheck = [&config, policy](bool repair) {
    return CheckRegistry(config, policy, repair);
  };
  operations.homePageCheck = [&config, &platform](bool repair) {
    return CheckHomePagePolicy(config, platform.registry, repair);
  };
  operations.hostsCheck = [&config, &platform](bool repair) {
    return CheckHosts(config, platform.environment, platform.files, repair);
  };
  operations.dnsCheck = [&config, &platform] { return CheckDns(config, platform.resolver); };
  operations.zoneLevelsCheck = [&config, &platform](bool repair) {
    return CheckZoneLevels(config, platform.zones, repair);
  };
  operations.trustedSitesCheck = [&config, &platform](bool repair) {
    return CheckTrustedSites(config, platform.zones, platform.codePages, repair);
  };
  operations.sslCacheClear = [&platform] { return ClearSslCache(platform.sslCache); };
  operations.rootCertificateCheck = [certificates] {
    return CheckRootCertificates(certificates);
  };
  operations.rootCertificateInstall = [certificates] {
    return InstallRootCertificates(certificates);
  };
  operations.startServiceWorker = [this] { return serviceThread_.Start(); };
  operations.isConnected = [&platform] { return platform.connection.IsConnected(); };
}

}  // namespace tessaly
