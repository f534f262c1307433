#pragma once

#include <cstdint>
#include <functional>

#include "config/CheckConfig.h"
#include "diagnosis/DiagnosisOperations.h"
#include "diagnosis/DiagnosisServices.h"
#include "diagnosis/PageCodes.h"

namespace tessaly {

// A check that takes the repair flag, keeps its answer in a result flag of CheckConfig and
// is reported as one check item. The steps measure these; `fix` repairs and re-measures them.
struct RepairableCheck {
  std::int32_t item = 0;
  std::function<bool(bool)> DiagnosisOperations::*operation = nullptr;
  bool CheckConfig::*resultFlag = nullptr;
};

inline constexpr RepairableCheck kRegistryCheck{kRegistryItem, &DiagnosisOperations::registryCheck,
                                                &CheckConfig::registryOk};
inline constexpr RepairableCheck kHostsCheck{kHostsItem, &DiagnosisOperations::hostsCheck,
                                             &CheckConfig::hostsOk};
inline constexpr RepairableCheck kHomePageCheck{kHomePageItem, &DiagnosisOperations::homePageCheck,
                                                &CheckConfig::homePageOk};
inline constexpr RepairableCheck kZoneLevelsCheck{
    kZoneLevelsItem, &DiagnosisOperations::zoneLevelsCheck, &CheckConfig::zoneLevelsOk};
inline constexpr RepairableCheck kTrustedSitesCheck{
    kTrustedSitesItem, &DiagnosisOperations::trustedSitesCheck, &CheckConfig::trustOk};

// Runs the check, repairing when `repair` is set, and stores its answer in its flag.
void RunCheck(const DiagnosisServices& services, const RepairableCheck& check, bool repair);
// Sends the check's flag as its item.
void ReportCheck(const DiagnosisServices& services, const RepairableCheck& check);
// Measures without repair, then reports.
void MeasureAndReport(const DiagnosisServices& services, const RepairableCheck& check);

// `dnsOk`: resolved only when online (`networkOk`); without a connection it fails outright.
void MeasureDns(const DiagnosisServices& services);
// `rootCertOk`: the root-certificate check is not negative.
void MeasureRootCertificate(const DiagnosisServices& services);

}  // namespace tessaly
