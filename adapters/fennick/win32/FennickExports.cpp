// The exports of Fennick.dll. Their names come from Fennick.def, undecorated also where
// the callee-cleans convention decorates them (32-bit Windows).

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "adapters/fennick/FennickAdapter.h"
#include "adapters/keyadapter/KeyAdapter.h"
#include "platform/win32/Win32CertificateDecoder.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32DebugOutput.h"
#include "platform/win32/Win32ModuleLoader.h"

namespace tessaly::fennick {
namespace {

// Everything behind the exports, created by the first call of any export (outside the
// loader's lock) and kept until the process ends, Feitian's library loaded and initialised
// once with it. Fennick itself is unloaded after every probe item, and freeing Feitian's
// library there would run inside the loader's detach notification, where neither its
// C_Finalize nor its own clean-up may safely run. So the first call pins Fennick in the
// process and the object is never destroyed: no code of Feitian's library runs under the
// loader's lock, and it is not loaded and initialised again at every item. There is no
// later point outside that lock at which the library could still be finalised: when the
// process ends, the system releases it with everything else.
struct FennickProcess {
  win32::Win32ModuleLoader modules;
  win32::Win32CertificateDecoder certificates;
  win32::Win32Clock clock;
  win32::Win32DebugOutput trace;
  Pkcs11Layer layer{modules, kFeitianPkcs11Library};
  FennickAdapter adapter{layer, certificates, clock, trace};
};

void PinThisLibrary() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&PinThisLibrary), &self);
}

FennickAdapter& Fennick() {
  // Made once, never destroyed (see FennickProcess); the exports are called from one thread
  // at a time.
  static FennickProcess* const process = [] {
    PinThisLibrary();
    return new FennickProcess;
  }();
  return process->adapter;
}

}  // namespace
}  // namespace tessaly::fennick

using tessaly::fennick::Fennick;

extern "C" {

std::int32_t TESSALY_ADAPTER_CALL CheckKeyEnv(std::int32_t* code) {
  return Fennick().CheckKeyEnv(code);
}

std::int32_t TESSALY_ADAPTER_CALL GetKeyCount(std::int32_t* count) {
  return Fennick().GetKeyCount(count);
}

std::int32_t TESSALY_ADAPTER_CALL GetKeySN(char* serials) { return Fennick().GetKeySN(serials); }

std::int32_t TESSALY_ADAPTER_CALL GetCertCN(const char* serial, char* names) {
  return Fennick().GetCertCN(serial, names);
}

std::int32_t TESSALY_ADAPTER_CALL GetCertNotBefore(const char* name, char* date) {
  return Fennick().GetCertNotBefore(name, date);
}

std::int32_t TESSALY_ADAPTER_CALL GetCertNotAfter(const char* name, char* date) {
  return Fennick().GetCertNotAfter(name, date);
}

std::int32_t TESSALY_ADAPTER_CALL GetPinRetryTimes(const char* serial) {
  return Fennick().GetPinRetryTimes(serial);
}

std::int32_t TESSALY_ADAPTER_CALL DefaultPINFlg(const char* serial) {
  return Fennick().DefaultPINFlg(serial);
}

}  // extern "C"

// The exports have exactly the types Tessaly binds them through.
static_assert(std::is_same_v<decltype(&CheckKeyEnv), CheckKeyEnvFn>);
static_assert(std::is_same_v<decltype(&GetKeyCount), GetKeyCountFn>);
static_assert(std::is_same_v<decltype(&GetKeySN), GetKeySNFn>);
static_assert(std::is_same_v<decltype(&GetCertCN), GetCertCNFn>);
static_assert(std::is_same_v<decltype(&GetCertNotBefore), GetCertNotBeforeFn>);
static_assert(std::is_same_v<decltype(&GetCertNotAfter), GetCertNotAfterFn>);
static_assert(std::is_same_v<decltype(&GetPinRetryTimes), GetPinRetryTimesFn>);
static_assert(std::is_same_v<decltype(&DefaultPINFlg), DefaultPINFlgFn>);
