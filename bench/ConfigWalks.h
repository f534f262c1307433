#pragma once

#include <cstddef>

namespace pugi {
class xml_document;
}

namespace tessaly {
class XmlReader;
}

namespace tessaly::bench {

// What a walk read: elements visited and the bytes of every attribute value and leaf text.
// Two readers that decode the same document alike give the same totals.
struct WalkTotals {
  std::size_t elements = 0;
  std::size_t valueBytes = 0;
  bool operator==(const WalkTotals&) const = default;
};

// Both walks read the check-item format the way the configuration loader does: by the
// element and attribute names it knows, kind by kind at each level (every config with
// its entries, then every item, every component, every appinfo), each attribute of the
// format and the text of each leaf element.
WalkTotals WalkWithXmlReader(XmlReader& reader);
WalkTotals WalkWithPugixml(const pugi::xml_document& document);

}  // namespace tessaly::bench
