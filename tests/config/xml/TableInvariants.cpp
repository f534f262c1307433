#include "TableInvariants.h"

#include <cstdint>
#include <vector>

namespace tessaly::testing_support {

namespace {

std::string Broken(const char* rule, std::uint32_t element) {
  return std::string(rule) + " at element " + std::to_string(element);
}

}  // namespace

std::string CheckTableLinks(const XmlReader& reader) {
  const ElementTable& table = reader.Table();
  const std::size_t count = reader.ElementCount();
  std::vector<bool> seen(count + 1, false);
  std::size_t reached = 0;
  std::vector<std::uint32_t> parents{0};
  while (!parents.empty()) {
    const std::uint32_t parent = parents.back();
    parents.pop_back();
    const std::uint32_t first = table[parent].firstChild;
    std::uint32_t previous = 0;
    for (std::uint32_t child = first; child != 0; child = table[child].nextSibling) {
      if (child > count) return Broken("link beyond the elements", child);
      if (seen[child]) return Broken("element reached twice", child);
      seen[child] = true;
      ++reached;
      const ElementRecord& record = table[child];
      if (record.parent != parent) return Broken("wrong parent", child);
      const bool isFirst = child == first;
      if (((record.flags & kFlagFirstChild) != 0) != isFirst) return Broken("first-child flag", child);
      if (!isFirst && record.previousSibling != previous) return Broken("previous sibling", child);
      previous = child;
      parents.push_back(child);
    }
    if (first != 0 && table[first].previousSibling != previous) return Broken("last-sibling link", first);
  }
  if (reached != count) return "only " + std::to_string(reached) + " of " + std::to_string(count) + " reached";
  return "";
}

}  // namespace tessaly::testing_support
