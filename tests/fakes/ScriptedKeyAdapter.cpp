#include "tests/fakes/ScriptedKeyAdapter.h"

#include <algorithm>
#include <cstring>

#include "adapters/keyadapter/KeyAdapter.h"

namespace tessaly {
namespace {

ScriptedKeyAdapter* active = nullptr;

void Write(const ScriptedKeyAdapter::Answer& answer, char* out, std::size_t size) {
  std::memcpy(out, answer.bytes.data(), std::min(answer.bytes.size(), size));
}

std::int32_t TESSALY_ADAPTER_CALL CheckKeyEnv(std::int32_t* code) {
  active->calls.push_back("CheckKeyEnv");
  *code = active->checkKeyEnvCode;
  return active->checkKeyEnvResult;
}

std::int32_t TESSALY_ADAPTER_CALL GetKeyCount(std::int32_t* count) {
  active->calls.push_back("GetKeyCount");
  *count = active->keyCount;
  return active->keyCountResult;
}

std::int32_t TESSALY_ADAPTER_CALL GetKeySN(char* out) {
  active->calls.push_back("GetKeySN");
  Write(active->serials, out, keyadapter::kSerialListBytes);
  return active->serials.result;
}

std::int32_t TESSALY_ADAPTER_CALL GetCertCN(const char* serial, char* out) {
  active->calls.push_back(std::string("GetCertCN(") + serial + ")");
  const auto found = active->certNames.find(serial);
  if (found == active->certNames.end()) {
    return 0;
  }
  Write(found->second, out, keyadapter::kCertNameListBytes);
  return found->second.result;
}

std::int32_t Date(const std::map<std::string, ScriptedKeyAdapter::Answer>& dates,
                  const char* name, char* out) {
  const auto found = dates.find(name);
  if (found == dates.end()) {
    return 1;
  }
  Write(found->second, out, keyadapter::kDateBytes);
  return found->second.result;
}

std::int32_t TESSALY_ADAPTER_CALL GetCertNotBefore(const char* name, char* out) {
  active->calls.push_back(std::string("GetCertNotBefore(") + name + ")");
  return Date(active->notBefore, name, out);
}

std::int32_t TESSALY_ADAPTER_CALL GetCertNotAfter(const char* name, char* out) {
  active->calls.push_back(std::string("GetCertNotAfter(") + name + ")");
  return Date(active->notAfter, name, out);
}

std::int32_t TESSALY_ADAPTER_CALL GetPinRetryTimes(const char* serial) {
  active->calls.push_back(std::string("GetPinRetryTimes(") + serial + ")");
  const auto found = active->pinRetries.find(serial);
  return found == active->pinRetries.end() ? -1 : found->second;
}

std::int32_t TESSALY_ADAPTER_CALL DefaultPINFlg(const char* serial) {
  active->calls.push_back(std::string("DefaultPINFlg(") + serial + ")");
  const auto found = active->defaultPin.find(serial);
  return found == active->defaultPin.end() ? 0 : found->second;
}

template <typename Function>
ModuleFunction Untyped(Function function) {
  return reinterpret_cast<ModuleFunction>(function);
}

}  // namespace

FakeModuleLoader::Exports ScriptedKeyAdapter::Exports() {
  active = this;
  FakeModuleLoader::Exports exports{
      {keyadapter::kCheckKeyEnv, Untyped(&CheckKeyEnv)},
      {keyadapter::kGetKeyCount, Untyped(&GetKeyCount)},
      {keyadapter::kGetKeySN, Untyped(&GetKeySN)},
      {keyadapter::kGetCertCN, Untyped(&GetCertCN)},
      {keyadapter::kGetCertNotBefore, Untyped(&GetCertNotBefore)},
      {keyadapter::kGetCertNotAfter, Untyped(&GetCertNotAfter)},
      {keyadapter::kGetPinRetryTimes, Untyped(&GetPinRetryTimes)},
      {keyadapter::kDefaultPINFlg, Untyped(&DefaultPINFlg)},
  };
  for (const std::string& name : missing) {
    exports.erase(name);
  }
  return exports;
}

}  // namespace tessaly
