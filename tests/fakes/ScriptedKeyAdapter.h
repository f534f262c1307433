#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/fakes/FakeModuleLoader.h"

namespace tessaly {

// A key adapter whose answers a test writes down. Every output is the raw bytes an adapter
// would copy into the caller's buffer, NULs included, so a test can also write a buffer
// full without a terminator; the fake itself never writes past the contract's sizes.
// Exports are plain functions, so one script is active at a time (Exports() makes it so).
struct ScriptedKeyAdapter {
  struct Answer {
    std::int32_t result = 1;
    std::string bytes{};
  };

  std::int32_t checkKeyEnvResult = 0;
  std::int32_t checkKeyEnvCode = 0;
  std::int32_t keyCountResult = 1;
  std::int32_t keyCount = 0;
  Answer serials{0, {}};
  std::map<std::string, Answer> certNames{};  // by serial; others answer 0
  std::map<std::string, Answer> notBefore{};  // by name; others answer 1 and write nothing
  std::map<std::string, Answer> notAfter{};
  std::map<std::string, std::int32_t> pinRetries{};  // by serial; others -1
  std::map<std::string, std::int32_t> defaultPin{};  // by serial; others 0
  std::set<std::string> missing{};  // export names the library lacks

  // Every call, e.g. "GetCertCN(K1)", in order.
  std::vector<std::string> calls{};

  // The export table of this script, which becomes the active one.
  FakeModuleLoader::Exports Exports();
};

}  // namespace tessaly
