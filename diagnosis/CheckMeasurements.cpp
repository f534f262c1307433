#include "diagnosis/CheckMeasurements.h"

namespace tessaly {

void RunCheck(const DiagnosisServices& services, const RepairableCheck& check, bool repair) {
  services.config.*check.resultFlag = (services.operations.*check.operation)(repair);
}

void ReportCheck(const DiagnosisServices& services, const RepairableCheck& check) {
  ReportCheckItem(services.page, check.item, services.config.*check.resultFlag);
}

void MeasureAndReport(const DiagnosisServices& services, const RepairableCheck& check) {
  RunCheck(services, check, false);
  ReportCheck(services, check);
}

void MeasureDns(const DiagnosisServices& services) {
  CheckConfig& config = services.config;
  config.dnsOk = config.networkOk && services.operations.dnsCheck();
}

void MeasureRootCertificate(const DiagnosisServices& services) {
  services.config.rootCertOk = services.operations.rootCertificateCheck() >= 0;
}

}  // namespace tessaly
