// A stand-in for Feitian's closed PKCS#11 library, for tests and development builds only:
// built under the vendor library's file name, it serves the tokens that the file named by
// the environment variable TESSALY_STANDIN_TOKENS describes (tests/fakes/StandInTokenFile.h),
// read again whenever a caller asks for the slots, with the scripted library's behaviour.
// When TESSALY_STANDIN_PKCS11_LOG names a file, the library appends a line to it for its
// C_Initialize and C_Finalize calls and for its load and unload, each with the calling
// thread's id ("C_Initialize 36", "detach 36"), so a test can see what ran where.

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/fakes/ScriptedPkcs11.h"
#include "tests/fakes/StandInTokenFile.h"

namespace tessaly {
namespace {

ScriptedPkcs11 library;
FakeModuleLoader::Exports exports;
CK_FUNCTION_LIST served{};
CK_FUNCTION_LIST* scripted = nullptr;

void Log(const char* event) {
  constexpr const char* kVariable = "TESSALY_STANDIN_PKCS11_LOG";
  char path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA(kVariable, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return;
  }
  std::ofstream(path, std::ios::app) << event << ' ' << GetCurrentThreadId() << '\n';
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void LoadTokens() {
  constexpr const char* kVariable = "TESSALY_STANDIN_TOKENS";
  std::string path(GetEnvironmentVariableA(kVariable, nullptr, 0), '\0');
  const DWORD length =
      path.empty() ? 0 : GetEnvironmentVariableA(kVariable, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length < path.size() ? length : 0);
  const std::optional<std::string> text = path.empty() ? std::nullopt : ReadWholeFile(path);
  const auto tokens = text ? ReadTokenFile(*text, &ReadWholeFile) : std::nullopt;
  library = ScriptedPkcs11{};
  library.tokens = tokens.value_or(std::vector<ScriptedPkcs11::Token>{});
  exports = library.Exports();
}

}  // namespace
}  // namespace tessaly

namespace tessaly {
namespace {

CK_RV Initialize(void* arguments) {
  Log("C_Initialize");
  return scripted->C_Initialize(arguments);
}

CK_RV Finalize(void* arguments) {
  Log("C_Finalize");
  return scripted->C_Finalize(arguments);
}

// The token file is read again at the count query, while no session is open.
CK_RV GetSlotList(CK_BBOOL present, CK_SLOT_ID* list, CK_ULONG* count) {
  if (list == nullptr && library.openSessions == 0) {
    LoadTokens();
  }
  return scripted->C_GetSlotList(present, list, count);
}

}  // namespace
}  // namespace tessaly

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    tessaly::Log("attach");
  } else if (reason == DLL_PROCESS_DETACH) {
    tessaly::Log("detach");
  }
  return TRUE;
}

extern "C" CK_RV C_GetFunctionList(CK_FUNCTION_LIST** list) {
  tessaly::LoadTokens();
  const CK_RV result =
      reinterpret_cast<CK_C_GetFunctionList>(tessaly::exports.at("C_GetFunctionList"))(&tessaly::scripted);
  if (result != CKR_OK || tessaly::scripted == nullptr) {
    *list = tessaly::scripted;
    return result;
  }
  tessaly::served = *tessaly::scripted;
  tessaly::served.C_Initialize = &tessaly::Initialize;
  tessaly::served.C_Finalize = &tessaly::Finalize;
  tessaly::served.C_GetSlotList = &tessaly::GetSlotList;
  *list = &tessaly::served;
  return result;
}

extern "C" __declspec(dllexport) CK_RV E_GetAuxFunctionList(tessaly::fennick::AuxFunctionList** list) {
  if (tessaly::exports.empty()) {
    tessaly::LoadTokens();
  }
  return reinterpret_cast<tessaly::fennick::E_GetAuxFunctionListFn>(
      tessaly::exports.at("E_GetAuxFunctionList"))(list);
}
