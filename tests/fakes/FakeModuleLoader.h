#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ModuleLoader.h"

namespace tessaly {

// Libraries as a test arranges them: each a table of exports under one path. Records every
// load (also of paths it does not know) and every unload.
class FakeModuleLoader final : public ModuleLoader {
 public:
  using Exports = std::map<std::string, ModuleFunction, std::less<>>;

  void Put(std::u16string path, Exports exports) { modules_[std::move(path)] = std::move(exports); }

  std::unique_ptr<LoadedModule> Load(std::u16string_view path) const override;

  mutable std::vector<std::u16string> loads;
  mutable int unloads = 0;
  mutable int loaded = 0;  // currently loaded

 private:
  std::map<std::u16string, Exports, std::less<>> modules_;
};

}  // namespace tessaly
