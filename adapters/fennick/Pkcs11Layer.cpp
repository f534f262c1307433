#include "adapters/fennick/Pkcs11Layer.h"

#include <array>

namespace tessaly::fennick {
namespace {

// A list missing an entry Fennick calls is as good as no list.
bool HasTheFunctionsFennickCalls(const CK_FUNCTION_LIST& list) {
  return list.C_Initialize != nullptr && list.C_GetSlotList != nullptr &&
         list.C_GetTokenInfo != nullptr && list.C_OpenSession != nullptr &&
         list.C_CloseSession != nullptr && list.C_FindObjectsInit != nullptr &&
         list.C_FindObjects != nullptr && list.C_FindObjectsFinal != nullptr &&
         list.C_GetAttributeValue != nullptr;
}

}  // namespace

Pkcs11Layer::Pkcs11Layer(const ModuleLoader& modules, std::u16string_view library)
    : modules_(modules), name_(library), library_(modules.Load(library)) {
  if (library_) {
    CheckPkcs11FuncList();
  }
}

Pkcs11Layer::~Pkcs11Layer() { Release(); }

void Pkcs11Layer::Release() {
  // The library is done with before it is unloaded, as PKCS#11 asks.
  if (functions_ != nullptr && functions_->C_Finalize != nullptr) {
    functions_->C_Finalize(nullptr);
  }
  functions_ = nullptr;
  auxiliary_ = nullptr;
  library_.reset();
  released_ = true;
}

bool Pkcs11Layer::CheckPkcs11FuncList() {
  if (functions_ != nullptr && auxiliary_ != nullptr) {
    return true;
  }
  if (released_) {
    released_ = false;
    library_ = modules_.Load(name_);
  }
  if (!library_) {
    return false;
  }
  const auto getFunctionList = FindExport<CK_C_GetFunctionList>(*library_, "C_GetFunctionList");
  const auto getAuxList = FindExport<E_GetAuxFunctionListFn>(*library_, "E_GetAuxFunctionList");
  if (getFunctionList == nullptr || getAuxList == nullptr) {
    return false;
  }
  CK_FUNCTION_LIST* functions = nullptr;
  AuxFunctionList* auxiliary = nullptr;
  if (getFunctionList(&functions) != CKR_OK || functions == nullptr ||
      getAuxList(&auxiliary) != CKR_OK || auxiliary == nullptr ||
      !HasTheFunctionsFennickCalls(*functions)) {
    return false;
  }
  functions_ = functions;
  auxiliary_ = auxiliary;
  // Without arguments: the library is not prepared for calls from several threads, which
  // the exports never make (their calls and the release are serialised).
  functions_->C_Initialize(nullptr);
  return true;
}

std::optional<int> Pkcs11Layer::UserPinTriesLeft(CK_SLOT_ID slot) const {
  if (auxiliary_ == nullptr || auxiliary_->getPinInfo == nullptr) {
    return std::nullopt;
  }
  std::array<unsigned char, kPinRecordBytes> record{};
  if (auxiliary_->getPinInfo(slot, record.data()) != CKR_OK) {
    return std::nullopt;
  }
  return record[kPinTriesByte];
}

}  // namespace tessaly::fennick
