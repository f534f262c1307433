#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "adapters/fennick/Pkcs11.h"
#include "tests/fakes/FakeModuleLoader.h"

namespace tessaly {

// A PKCS#11 library whose tokens a test writes down, with the auxiliary list of Feitian's
// library. Any function can be made to fail by its name ("C_FindObjects", "AuxGetPinInfo",
// also "C_GetSlotList 2" for the second call that reads the list, "C_GetAttributeValue 2"
// for the call that reads the value). The functions are plain C functions, so one script is
// active at a time (Exports() makes it so).
struct ScriptedPkcs11 {
  struct Token {
    std::string serial;  // the 16-byte field, blank-padded by the script
    CK_FLAGS flags = 0;
    int pinTriesLeft = 6;
    std::vector<std::string> certificates{};  // the CKA_VALUE bytes of each
  };

  std::vector<Token> tokens{};
  std::set<std::string> failing{};
  CK_ULONG reportedSlotCount = ~CK_ULONG{0};  // when set, what the count query answers
  bool noFunctionList = false;
  bool noAuxiliaryList = false;

  std::vector<std::string> calls{};  // every call, in order
  int openSessions = 0;
  int activeSearches = 0;

  // The library's two exports; the script becomes the active one.
  FakeModuleLoader::Exports Exports();
};

}  // namespace tessaly
