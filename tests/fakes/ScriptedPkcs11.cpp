#include "tests/fakes/ScriptedPkcs11.h"

#include <algorithm>
#include <cstring>

namespace tessaly {
namespace {

ScriptedPkcs11* active = nullptr;
constexpr CK_SLOT_ID kFirstSlot = 40;  // slot ids are not positions

bool Fails(const std::string& call) {
  active->calls.push_back(call);
  return active->failing.contains(call);
}

const ScriptedPkcs11::Token* TokenIn(CK_SLOT_ID slot) {
  if (slot < kFirstSlot || slot - kFirstSlot >= active->tokens.size()) {
    return nullptr;
  }
  return &active->tokens[slot - kFirstSlot];
}

// A session handle names its slot; an object handle is a certificate's position + 1.
struct Session {
  CK_SLOT_ID slot = 0;
  CK_OBJECT_HANDLE next = 0;
};
std::map<CK_SESSION_HANDLE, Session> sessions;
CK_SESSION_HANDLE nextSession = 1;

CK_RV Initialize(void*) { return Fails("C_Initialize") ? CKR_GENERAL_ERROR : CKR_OK; }
CK_RV Finalize(void*) { return Fails("C_Finalize") ? CKR_GENERAL_ERROR : CKR_OK; }

CK_RV GetSlotList(CK_BBOOL present, CK_SLOT_ID* list, CK_ULONG* count) {
  if (Fails(list == nullptr ? "C_GetSlotList" : "C_GetSlotList 2") || present != CK_TRUE) {
    return CKR_GENERAL_ERROR;
  }
  const auto tokens = static_cast<CK_ULONG>(active->tokens.size());
  if (list == nullptr) {
    *count = active->reportedSlotCount != ~CK_ULONG{0} ? active->reportedSlotCount : tokens;
    return CKR_OK;
  }
  if (*count < tokens) {
    *count = tokens;
    return CKR_BUFFER_TOO_SMALL;
  }
  for (CK_ULONG i = 0; i < tokens; ++i) {
    list[i] = kFirstSlot + i;
  }
  *count = tokens;
  return CKR_OK;
}

CK_RV GetTokenInfo(CK_SLOT_ID slot, CK_TOKEN_INFO* info) {
  const ScriptedPkcs11::Token* token = TokenIn(slot);
  if (Fails("C_GetTokenInfo") || token == nullptr) {
    return CKR_SLOT_ID_INVALID;
  }
  std::memset(info->serialNumber, ' ', sizeof(info->serialNumber));
  std::memcpy(info->serialNumber, token->serial.data(),
              std::min(token->serial.size(), sizeof(info->serialNumber)));
  info->flags = token->flags;
  return CKR_OK;
}

CK_RV OpenSession(CK_SLOT_ID slot, CK_FLAGS flags, void*, CK_NOTIFY, CK_SESSION_HANDLE* session) {
  if (Fails("C_OpenSession") || TokenIn(slot) == nullptr ||
      flags != (CKF_SERIAL_SESSION | CKF_RW_SESSION)) {
    return CKR_GENERAL_ERROR;
  }
  *session = nextSession++;
  sessions[*session] = {slot, 0};
  ++active->openSessions;
  return CKR_OK;
}

CK_RV CloseSession(CK_SESSION_HANDLE session) {
  active->openSessions -= static_cast<int>(sessions.erase(session));
  return Fails("C_CloseSession") ? CKR_GENERAL_ERROR : CKR_OK;
}

CK_RV FindObjectsInit(CK_SESSION_HANDLE session, CK_ATTRIBUTE* search, CK_ULONG count) {
  if (Fails("C_FindObjectsInit") || !sessions.contains(session) || count != 2) {
    return CKR_GENERAL_ERROR;
  }
  // Only the template of the certificates on the token is understood.
  const bool certificates = search[0].type == CKA_CLASS &&
                            search[0].ulValueLen == sizeof(CK_OBJECT_CLASS) &&
                            *static_cast<CK_OBJECT_CLASS*>(search[0].pValue) == CKO_CERTIFICATE &&
                            search[1].type == CKA_TOKEN && search[1].ulValueLen == 1 &&
                            *static_cast<CK_BBOOL*>(search[1].pValue) == CK_TRUE;
  if (!certificates) {
    return CKR_TEMPLATE_INCONSISTENT;
  }
  sessions[session].next = 0;
  ++active->activeSearches;
  return CKR_OK;
}

CK_RV FindObjects(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE* object, CK_ULONG most,
                  CK_ULONG* found) {
  if (Fails("C_FindObjects") || !sessions.contains(session) || most != 1) {
    return CKR_GENERAL_ERROR;
  }
  Session& state = sessions[session];
  const ScriptedPkcs11::Token* token = TokenIn(state.slot);
  if (token == nullptr) {
    return CKR_DEVICE_REMOVED;
  }
  *found = 0;
  if (state.next < token->certificates.size()) {
    *object = ++state.next;
    *found = 1;
  }
  return CKR_OK;
}

CK_RV FindObjectsFinal(CK_SESSION_HANDLE) {
  --active->activeSearches;
  return Fails("C_FindObjectsFinal") ? CKR_GENERAL_ERROR : CKR_OK;
}

CK_RV GetAttributeValue(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                        CK_ATTRIBUTE* attributes, CK_ULONG count) {
  if (Fails(attributes->pValue == nullptr ? "C_GetAttributeValue" : "C_GetAttributeValue 2") ||
      !sessions.contains(session) || count != 1 || attributes->type != CKA_VALUE) {
    return CKR_GENERAL_ERROR;
  }
  const ScriptedPkcs11::Token* token = TokenIn(sessions[session].slot);
  if (token == nullptr || object == 0 || object > token->certificates.size()) {
    return CKR_OBJECT_HANDLE_INVALID;
  }
  const std::string& value = token->certificates[object - 1];
  if (attributes->pValue != nullptr) {
    if (attributes->ulValueLen < value.size()) {
      return CKR_BUFFER_TOO_SMALL;
    }
    std::memcpy(attributes->pValue, value.data(), value.size());
  }
  attributes->ulValueLen = static_cast<CK_ULONG>(value.size());
  return CKR_OK;
}

CK_RV AuxGetPinInfo(CK_SLOT_ID slot, unsigned char* record) {
  const ScriptedPkcs11::Token* token = TokenIn(slot);
  if (Fails("AuxGetPinInfo") || token == nullptr) {
    return CKR_GENERAL_ERROR;
  }
  record[fennick::kPinTriesByte] = static_cast<unsigned char>(token->pinTriesLeft);
  return CKR_OK;
}

CK_FUNCTION_LIST functionList{};
fennick::AuxFunctionList auxiliaryList{};

CK_RV GetFunctionList(CK_FUNCTION_LIST** list) {
  if (Fails("C_GetFunctionList")) {
    return CKR_GENERAL_ERROR;
  }
  functionList = CK_FUNCTION_LIST{};
  functionList.version = {2, 40};
  functionList.C_Initialize = &Initialize;
  functionList.C_Finalize = &Finalize;
  functionList.C_GetSlotList = &GetSlotList;
  functionList.C_GetTokenInfo = &GetTokenInfo;
  functionList.C_OpenSession = &OpenSession;
  functionList.C_CloseSession = &CloseSession;
  functionList.C_FindObjectsInit = &FindObjectsInit;
  functionList.C_FindObjects = &FindObjects;
  functionList.C_FindObjectsFinal = &FindObjectsFinal;
  functionList.C_GetAttributeValue = &GetAttributeValue;
  *list = active->noFunctionList ? nullptr : &functionList;
  return CKR_OK;
}

CK_RV GetAuxFunctionList(fennick::AuxFunctionList** list) {
  if (Fails("E_GetAuxFunctionList")) {
    return CKR_GENERAL_ERROR;
  }
  auxiliaryList = fennick::AuxFunctionList{{1, 0}, nullptr, nullptr, &AuxGetPinInfo};
  *list = active->noAuxiliaryList ? nullptr : &auxiliaryList;
  return CKR_OK;
}

}  // namespace

FakeModuleLoader::Exports ScriptedPkcs11::Exports() {
  active = this;
  sessions.clear();
  return {{"C_GetFunctionList", reinterpret_cast<ModuleFunction>(&GetFunctionList)},
          {"E_GetAuxFunctionList", reinterpret_cast<ModuleFunction>(&GetAuxFunctionList)}};
}

}  // namespace tessaly
