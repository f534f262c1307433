#include "tests/fakes/FakeModuleLoader.h"

namespace tessaly {
namespace {

class FakeLoadedModule final : public LoadedModule {
 public:
  FakeLoadedModule(const FakeModuleLoader::Exports& exports, const FakeModuleLoader& loader)
      : exports_(exports), loader_(loader) {
    ++loader_.loaded;
  }
  ~FakeLoadedModule() override {
    --loader_.loaded;
    ++loader_.unloads;
  }
  FakeLoadedModule(const FakeLoadedModule&) = delete;
  FakeLoadedModule& operator=(const FakeLoadedModule&) = delete;

  ModuleFunction Find(const char* name) const override {
    const auto found = exports_.find(std::string_view(name));
    return found == exports_.end() ? nullptr : found->second;
  }

 private:
  const FakeModuleLoader::Exports& exports_;
  const FakeModuleLoader& loader_;
};

}  // namespace

std::unique_ptr<LoadedModule> FakeModuleLoader::Load(std::u16string_view path) const {
  loads.emplace_back(path);
  const auto found = modules_.find(path);
  if (found == modules_.end()) {
    return nullptr;
  }
  return std::make_unique<FakeLoadedModule>(found->second, *this);
}

}  // namespace tessaly
