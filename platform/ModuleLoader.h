#pragma once

#include <memory>
#include <string_view>

namespace tessaly {

// Any exported function, before the caller casts it to the type it knows the export has.
using ModuleFunction = void (*)();

// A loaded library. Destroying the object unloads it, so every function found in it must
// be forgotten first.
class LoadedModule {
 public:
  virtual ~LoadedModule() = default;
  // The export named `name`, or nullptr when the library has none.
  virtual ModuleFunction Find(const char* name) const = 0;
};

// Loads libraries: by full path (the key adapters beside the program) or by bare file
// name, which leaves the search to the system's usual order for the calling process.
class ModuleLoader {
 public:
  virtual ~ModuleLoader() = default;
  // nullptr when the library cannot be loaded.
  virtual std::unique_ptr<LoadedModule> Load(std::u16string_view path) const = 0;
};

// The export `name` of `module` as a function of type `Function`; nullptr when missing.
template <typename Function>
Function FindExport(const LoadedModule& module, const char* name) {
  // The library's exports carry no type; the contract that names them gives it.
  return reinterpret_cast<Function>(module.Find(name));
}

}  // namespace tessaly
