#pragma once

#include <cstdint>

#include "diagnosis/DiagnosisServices.h"

namespace tessaly {

struct RepairableCheck;

// The page method `fix`: repairs check item n and reports it again, or with 0 every
// failing check. Every call but `fix(0)` ends with status 2999 and a verdict, unless it
// runs inside `fix(0)`, which sends them once at its end.
class RepairDispatcher {
 public:
  explicit RepairDispatcher(const DiagnosisServices& services) : services_(services) {}

  void fix(std::int32_t item);

 private:
  void RepairAllFailing();
  void Repair(std::int32_t item);
  void AnnounceRepair(std::int32_t item);
  void RepairAndReport(const RepairableCheck& check);
  void RepairHosts();
  void RepairRootCertificate();
  void RepairZoneLevels();
  void ClearSslCache();
  void ReenableDisabledControls();
  void EndRepair();

  DiagnosisServices services_;
};

}  // namespace tessaly
