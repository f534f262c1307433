#include "bench/ConfigWalks.h"

#include <cstring>
#include <span>
#include <pugixml.hpp>

#include "config/xml/XmlReader.h"

namespace tessaly::bench {
namespace {

// The format as the loader reads it; the one description drives both walks so that they
// cannot drift apart. Names are C strings because pugixml wants them terminated.
struct ElementKind {
  const char* name;
  std::span<const char* const> attributes;
  bool readsText;
  std::span<const ElementKind* const> children;
};

constexpr const char* kEntryAttributes[] = {"name", "type", "value", "mask", "ip"};
constexpr const char* kDetectAttributes[] = {"type", "bit"};
constexpr const char* kFileAttributes[] = {"local", "install", "remote", "version", "md5", "bit"};
constexpr const char* kInstallerAttributes[] = {"condition", "command", "md5"};
constexpr const char* kConfigAttributes[] = {"type"};
constexpr const char* kItemAttributes[] = {"selectedid", "name", "type", "tips", "image", "class"};
constexpr const char* kAppInfoAttributes[] = {"version", "remote", "md5", "imperative",
                                              "installer"};
constexpr const char* kRootAttributes[] = {"base"};

constexpr ElementKind kEntry{"entry", kEntryAttributes, true, {}};
constexpr ElementKind kDetect{"detect", kDetectAttributes, true, {}};
constexpr ElementKind kFile{"file", kFileAttributes, true, {}};
constexpr ElementKind kInstaller{"installer", kInstallerAttributes, true, {}};
constexpr const ElementKind* kConfigChildren[] = {&kEntry};
constexpr const ElementKind* kItemChildren[] = {&kDetect, &kFile, &kInstaller};
constexpr ElementKind kConfig{"config", kConfigAttributes, false, kConfigChildren};
constexpr ElementKind kItem{"item", kItemAttributes, false, kItemChildren};
constexpr ElementKind kComponent{"component", kItemAttributes, false, kItemChildren};
constexpr ElementKind kAppInfo{"appinfo", kAppInfoAttributes, false, {}};
constexpr const ElementKind* kRootChildren[] = {&kConfig, &kItem, &kComponent, &kAppInfo};
constexpr ElementKind kRoot{"checkitems", kRootAttributes, false, kRootChildren};

// The reader stands on an element of `kind`.
void Read(XmlReader& reader, const ElementKind& kind, WalkTotals& totals) {
  ++totals.elements;
  for (const char* attribute : kind.attributes) {
    totals.valueBytes += reader.AttrValue(attribute).size();
  }
  if (kind.readsText) totals.valueBytes += reader.Text().size();
  if (kind.children.empty()) return;
  reader.Descend();
  for (const ElementKind* child : kind.children) {
    reader.Rewind();
    while (reader.FindNext(child->name)) Read(reader, *child, totals);
  }
  reader.Ascend();
}

void Read(const pugi::xml_node& node, const ElementKind& kind, WalkTotals& totals) {
  ++totals.elements;
  for (const char* attribute : kind.attributes) {
    totals.valueBytes += std::strlen(node.attribute(attribute).value());
  }
  if (kind.readsText) totals.valueBytes += std::strlen(node.child_value());
  for (const ElementKind* child : kind.children) {
    for (const pugi::xml_node& element : node.children(child->name)) Read(element, *child, totals);
  }
}

}  // namespace

WalkTotals WalkWithXmlReader(XmlReader& reader) {
  WalkTotals totals;
  reader.Rewind();
  if (reader.FindNext(kRoot.name)) Read(reader, kRoot, totals);
  return totals;
}

WalkTotals WalkWithPugixml(const pugi::xml_document& document) {
  WalkTotals totals;
  const pugi::xml_node root = document.child(kRoot.name);
  if (root) Read(root, kRoot, totals);
  return totals;
}

}  // namespace tessaly::bench
