#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "platform/ModuleResources.h"

namespace tessaly {

// The module's resources as a test arranges them. Names compare without regard to ASCII
// case, as the resource API compares them. Every load is counted.
class FakeModuleResources final : public ModuleResources {
 public:
  void Put(std::string_view name, ResourceType type, std::string bytes) {
    resources_[{Lower(name), TypeKey(type)}] = std::move(bytes);
  }

  std::string LoadResourceBytes(std::string_view name, ResourceType type) const override {
    ++loads;
    const auto found = resources_.find({Lower(name), TypeKey(type)});
    return found == resources_.end() ? std::string() : found->second;
  }

  mutable int loads = 0;

 private:
  static std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
      if (c >= 'A' && c <= 'Z') {
        c = static_cast<char>(c - 'A' + 'a');
      }
    }
    return lower;
  }

  // "#23" for a numbered type, as the resource API writes numbers as names.
  static std::string TypeKey(ResourceType type) {
    return type.IsNamed() ? Lower(type.Name()) : "#" + std::to_string(type.Number());
  }

  std::map<std::pair<std::string, std::string>, std::string> resources_;
};

}  // namespace tessaly
