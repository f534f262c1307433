// A stand-in for Feitian's closed PKCS#11 library, for tests and development builds only:
// built under the vendor library's file name, it serves the tokens that the file named by
// the environment variable TESSALY_STANDIN_TOKENS describes (tests/fakes/StandInTokenFile.h),
// read when the function list is asked for, with the scripted library's behaviour.

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

extern "C" CK_RV C_GetFunctionList(CK_FUNCTION_LIST** list) {
  tessaly::LoadTokens();
  return reinterpret_cast<CK_C_GetFunctionList>(tessaly::exports.at("C_GetFunctionList"))(list);
}

extern "C" __declspec(dllexport) CK_RV E_GetAuxFunctionList(tessaly::fennick::AuxFunctionList** list) {
  if (tessaly::exports.empty()) {
    tessaly::LoadTokens();
  }
  return reinterpret_cast<tessaly::fennick::E_GetAuxFunctionListFn>(
      tessaly::exports.at("E_GetAuxFunctionList"))(list);
}
