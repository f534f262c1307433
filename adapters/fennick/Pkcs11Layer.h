#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "adapters/fennick/Pkcs11.h"
#include "platform/ModuleLoader.h"

namespace tessaly::fennick {

// The file name of Feitian's PKCS#11 library. It is loaded by bare name, so the system's
// usual search order for the calling process finds it.
inline constexpr std::u16string_view kFeitianPkcs11Library = u"QUAYMARKAUDIOPASS3000.dll";

// The one process-wide handle on the PKCS#11 library: loaded, both function lists obtained and
// C_Initialize called once until the layer is released; finalised (C_Finalize) and unloaded by
// Release() and when the layer goes, neither of which may happen inside the loader's notifications.
// A library that failed to load is not tried again until the layer has been released. Not
// thread-safe: its user serialises the calls.
class Pkcs11Layer {
 public:
  Pkcs11Layer(const ModuleLoader& modules, std::u16string_view library);
  ~Pkcs11Layer();
  Pkcs11Layer(const Pkcs11Layer&) = delete;
  Pkcs11Layer& operator=(const Pkcs11Layer&) = delete;

  // Makes sure both lists are held: when they are not yet, resolves C_GetFunctionList and
  // E_GetAuxFunctionList, calls both and, when both lists arrive, calls C_Initialize once.
  bool CheckPkcs11FuncList();

  // Finalises and unloads the library; the next CheckPkcs11FuncList loads it again, so a library
  // installed since, or a key reader added since, is seen then.
  void Release();

  // Valid after CheckPkcs11FuncList succeeded.
  CK_FUNCTION_LIST& Functions() const { return *functions_; }
  // The user-PIN tries left of the token in `slot`, or nothing when they cannot be read.
  std::optional<int> UserPinTriesLeft(CK_SLOT_ID slot) const;

 private:
  const ModuleLoader& modules_;
  const std::u16string name_;
  bool released_ = false;
  std::unique_ptr<LoadedModule> library_;
  CK_FUNCTION_LIST* functions_ = nullptr;
  AuxFunctionList* auxiliary_ = nullptr;
};

}  // namespace tessaly::fennick
