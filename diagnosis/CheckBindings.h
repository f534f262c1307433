#pragma once

#include "config/CheckConfig.h"
#include "diagnosis/DiagnosisOperations.h"
#include "diagnosis/ServiceCheckThread.h"
#include "platform/CertificateStores.h"
#include "platform/CodePages.h"
#include "platform/ConnectionState.h"
#include "platform/InternetSession.h"
#include "platform/ModuleResources.h"
#include "platform/Registry.h"
#include "platform/Resolver.h"
#include "platform/SeededRandom.h"
#include "platform/SslCacheFunctions.h"
#include "platform/UrlZones.h"
#include "platform/WholeFiles.h"
#include "platform/WideEnvironment.h"

namespace tessaly {

// The platform services the checks of the diagnosis reach the system through.
struct CheckPlatform {
  const Registry& registry;
  const CodePages& codePages;
  SeededRandom& random;
  const WideEnvironment& environment;
  const WholeFiles& files;
  const Resolver& resolver;
  const Internet& internet;
  const ConnectionState& connection;
  const UrlZoneServices& zones;
  const SslCacheLibraries& sslCache;
  CertificateStores& certificateStores;
  const ModuleResources& resources;
};

// The checks and repairs of the diagnosis, bound to one configuration and one platform.
// Owns the service check's thread, so it must go away before the configuration and the
// platform services do (declare it after them), and it waits for a running service check
// when it does.
class CheckBindings {
 public:
  CheckBindings(CheckConfig& config, const CheckPlatform& platform);

  // Points every check and repair entry of the table at its implementation. Entries that
  // other parts of the program own (component detection and install, the USB-key probe,
  // the self-update) are left as they are.
  void BindTo(DiagnosisOperations& operations);
  bool ServiceCheckRunning() const { return serviceThread_.Running(); }

 private:
  CheckConfig& config_;
  CheckPlatform platform_;
  ServiceCheckThread serviceThread_;
};

}  // namespace tessaly
