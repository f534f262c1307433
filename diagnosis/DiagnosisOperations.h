#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "config/CheckConfig.h"

namespace tessaly {

// Every check and repair the diagnosis sequence calls, as one table whose entries the
// checks' owners bind, one line each, e.g.
//   operations.hostsCheck = [&](bool repair) { return CheckHosts(config, env, files, repair); };
//
// An entry nobody has bound yet stays a no-op with a neutral answer, chosen so that a
// missing check looks like a check that could not run: the item shows abnormal and the
// sequence goes on. Namely: the checks answer false, the root-certificate check and install
// answer -1 (not installed), the SSL cache is not cleared, the PC is offline, the service
// worker cannot be started, no update is due; detection leaves every state as it is, and
// reporting, installing (with or without repairs), probing and starting the update do
// nothing.
//
// The checks take the repair flag: false measures, true repairs; the sequence always
// measures again after a repair. It stores what a check answers in the check's result flag
// of CheckConfig, so a check need not write the flag itself (writing the same value is
// harmless). All entries are called on the GUI thread. Rebind an entry, never empty it:
// calling an empty std::function throws, and nothing here expects an exception.
struct DiagnosisOperations {
  // Compatibility list, configured registry values, registry-tools policy (`registryOk`).
  std::function<bool(bool repair)> registryCheck = [](bool) { return false; };
  // Home-page policy (`homePageOk`).
  std::function<bool(bool repair)> homePageCheck = [](bool) { return false; };
  // Hosts file (`hostsOk`).
  std::function<bool(bool repair)> hostsCheck = [](bool) { return false; };
  // Name resolution of the configured hosts (`dnsOk`); called only when online.
  std::function<bool()> dnsCheck = [] { return false; };
  // Security levels of the Internet, Trusted and Restricted zones (`zoneLevelsOk`).
  std::function<bool(bool repair)> zoneLevelsCheck = [](bool) { return false; };
  // Trusted-site list (`trustOk`).
  std::function<bool(bool repair)> trustedSitesCheck = [](bool) { return false; };
  // True when the SSL session cache was cleared.
  std::function<bool()> sslCacheClear = [] { return false; };
  // Not negative when the bank's root chain is installed / could be installed.
  std::function<std::int32_t()> rootCertificateCheck = [] { return std::int32_t{-1}; };
  std::function<std::int32_t()> rootCertificateInstall = [] { return std::int32_t{-1}; };

  // Starts the service-reachability check on a thread of its own. The worker must store
  // CheckConfig::serviceOk and then CheckConfig::serviceDone (release); its thread is the
  // binder's to own. Answers false when no worker could be started.
  std::function<bool()> startServiceWorker = [] { return false; };

  // The platform's connected-to-the-Internet state.
  std::function<bool()> isConnected = [] { return false; };

  // Sets the state word of every record of the list.
  std::function<void(std::vector<ComponentItem>& records)> detectItems =
      [](std::vector<ComponentItem>&) {};
  // Sends component item `item` (1-based) to the page.
  std::function<void(std::int32_t item)> reportItem = [](std::int32_t) {};
  // The page method `install` (re-enables a disabled control, queues its installers).
  std::function<void(std::int32_t item)> install = [](std::int32_t) {};
  // The page method `installandfix`: repairs every failing check, then installs what the
  // user's key type is missing.
  std::function<void()> installAndFix = [] {};
  // Binds the adapter of the user's key type and fills the key panel.
  std::function<void()> probeUsbKey = [] {};

  // Whether a self-update check is due, and the update thread that then runs instead of
  // the first diagnosis (it arms timer 2, 5 or 8 when it is done).
  std::function<bool()> isUpdateDue = [] { return false; };
  std::function<void()> startUpdateThread = [] {};
};

}  // namespace tessaly
