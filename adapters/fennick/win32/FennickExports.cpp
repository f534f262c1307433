// The exports of Fennick.dll. Their names come from Fennick.def, undecorated also where
// the callee-cleans convention decorates them (32-bit Windows).

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <type_traits>

#include "adapters/fennick/FennickAdapter.h"
#include "adapters/fennick/IdleRelease.h"
#include "adapters/keyadapter/KeyAdapter.h"
#include "platform/win32/Win32CertificateDecoder.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32DebugOutput.h"
#include "platform/win32/Win32ModuleLoader.h"

namespace tessaly::fennick {
namespace {

// How long Feitian's library stays loaded after the last export call. A key probe calls the exports
// in a burst (and loads and unloads Fennick around each item of it), so the library is initialised
// once per probe rather than once per call.
constexpr std::chrono::seconds kIdleBeforeRelease{5};

// Everything behind the exports, created by the first call of any export (outside the loader's
// lock) and kept until the process ends. Fennick itself is unloaded after every probe item, and
// freeing Feitian's library there would run its C_Finalize and clean-up inside the loader's detach
// notification, where they may not safely run. So the first call pins Fennick in the process, and
// the library is finalised and freed on Fennick's own thread once the exports have been idle for a
// while: the latest point outside that lock which a library unloaded by its caller can see. The
// next call loads and initialises it again, which also lets a key reader or a driver installed
// meanwhile be found. A process that ends within the idle time leaves the library to the system, as
// every process does.
struct FennickProcess {
  win32::Win32ModuleLoader modules;
  win32::Win32CertificateDecoder certificates;
  win32::Win32Clock clock;
  win32::Win32DebugOutput trace;
  Pkcs11Layer layer{modules, kFeitianPkcs11Library};
  FennickAdapter adapter{layer, certificates, clock, trace};
  IdleRelease idle{kIdleBeforeRelease, [this] { layer.Release(); }};
};

void PinThisLibrary() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&PinThisLibrary), &self);
}

FennickProcess& Process() {
  // Made once, never destroyed (see FennickProcess).
  static FennickProcess* const process = [] {
    PinThisLibrary();
    return new FennickProcess;
  }();
  return *process;
}

// Runs one export on the adapter, serialised with the idle release.
template <typename... Parameters, typename... Arguments>
std::int32_t CallFennick(std::int32_t (FennickAdapter::*method)(Parameters...),
                         Arguments... arguments) {
  FennickProcess& process = Process();
  return process.idle.Run([&] { return (process.adapter.*method)(arguments...); });
}

}  // namespace
}  // namespace tessaly::fennick

using tessaly::fennick::CallFennick;
using tessaly::fennick::FennickAdapter;

extern "C" {

std::int32_t TESSALY_ADAPTER_CALL CheckKeyEnv(std::int32_t* code) {
  return CallFennick(&FennickAdapter::CheckKeyEnv, code);
}

std::int32_t TESSALY_ADAPTER_CALL GetKeyCount(std::int32_t* count) {
  return CallFennick(&FennickAdapter::GetKeyCount, count);
}

std::int32_t TESSALY_ADAPTER_CALL GetKeySN(char* serials) {
  return CallFennick(&FennickAdapter::GetKeySN, serials);
}

std::int32_t TESSALY_ADAPTER_CALL GetCertCN(const char* serial, char* names) {
  return CallFennick(&FennickAdapter::GetCertCN, serial, names);
}

std::int32_t TESSALY_ADAPTER_CALL GetCertNotBefore(const char* name, char* date) {
  return CallFennick(&FennickAdapter::GetCertNotBefore, name, date);
}

std::int32_t TESSALY_ADAPTER_CALL GetCertNotAfter(const char* name, char* date) {
  return CallFennick(&FennickAdapter::GetCertNotAfter, name, date);
}

std::int32_t TESSALY_ADAPTER_CALL GetPinRetryTimes(const char* serial) {
  return CallFennick(&FennickAdapter::GetPinRetryTimes, serial);
}

std::int32_t TESSALY_ADAPTER_CALL DefaultPINFlg(const char* serial) {
  return CallFennick(&FennickAdapter::DefaultPINFlg, serial);
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
