// The thirteen exports, undecorated by Ravelin.def. Each reaches the adapter over the token
// manager; when it cannot be bound, each answers its failure value.
#include <cstdint>

#include "adapters/keyadapter/KeyAdapter.h"
#include "adapters/ravelin/RavelinAdapter.h"
#include "adapters/ravelin/win32/RavelinLibrary.h"
#include "adapters/ravelin/win32/Win32CertificateRequest.h"

using tessaly::ravelin::RavelinAdapter;
using tessaly::ravelin::win32::WithAdapter;

namespace {

constexpr std::int32_t kFailure = tessaly::keyadapter::kFailure;

}  // namespace

extern "C" {

std::int32_t TESSALY_ADAPTER_CALL CheckKeyEnv(std::int32_t* code) {
  return WithAdapter(kFailure, [&](RavelinAdapter& a) { return a.CheckKeyEnv(code); });
}
std::int32_t TESSALY_ADAPTER_CALL GetKeyCount(std::int32_t* count) {
  return WithAdapter(kFailure, [&](RavelinAdapter& a) { return a.GetKeyCount(count); });
}
std::int32_t TESSALY_ADAPTER_CALL GetKeySN(char* serials) {
  return WithAdapter(kFailure, [&](RavelinAdapter& a) { return a.GetKeySN(serials); });
}
std::int32_t TESSALY_ADAPTER_CALL GetCertCN(const char* serial, char* names) {
  return WithAdapter(kFailure, [&](RavelinAdapter& a) { return a.GetCertCN(serial, names); });
}
std::int32_t TESSALY_ADAPTER_CALL GetCertNotBefore(const char* name, char* date) {
  return WithAdapter(kFailure, [&](RavelinAdapter& a) { return a.GetCertNotBefore(name, date); });
}
std::int32_t TESSALY_ADAPTER_CALL GetCertNotAfter(const char* name, char* date) {
  return WithAdapter(kFailure, [&](RavelinAdapter& a) { return a.GetCertNotAfter(name, date); });
}
std::int32_t TESSALY_ADAPTER_CALL GetCertIssuer(const char* name, char* issuer) {
  return WithAdapter(kFailure, [&](RavelinAdapter& a) { return a.GetCertIssuer(name, issuer); });
}
std::int32_t TESSALY_ADAPTER_CALL GetPinRetryTimes(const char* serial) {
  return WithAdapter(-1, [&](RavelinAdapter& a) { return a.GetPinRetryTimes(serial); });
}
std::int32_t TESSALY_ADAPTER_CALL DefaultPINFlg(const char* serial) {
  return WithAdapter(kFailure, [&](RavelinAdapter& a) { return a.DefaultPINFlg(serial); });
}
std::int32_t TESSALY_ADAPTER_CALL GetFactoryName(char* name) {
  return WithAdapter(kFailure, [&](RavelinAdapter& a) { return a.GetFactoryName(name); });
}
std::int32_t TESSALY_ADAPTER_CALL GetSoftwareVersion(char* version) {
  return WithAdapter(kFailure, [&](RavelinAdapter& a) { return a.GetSoftwareVersion(version); });
}

// Through the Watchdata provider, without the token manager or the key lock.
std::int32_t TESSALY_ADAPTER_CALL GetX509ReqData(const char* subject, std::int32_t keyType,
                                                 char* out, std::int32_t* outLength) {
  return tessaly::ravelin::win32::MakeCertificateRequest(subject, keyType, out, outLength);
}
std::int32_t TESSALY_ADAPTER_CALL ImportCertData(const char* certificate, std::int32_t length) {
  return tessaly::ravelin::win32::StoreIssuedCertificate(certificate, length);
}

}  // extern "C"
