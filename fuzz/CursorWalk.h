#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/xml/XmlReader.h"

namespace tessaly::fuzz {

// Walks the whole element tree with the reader's cursor, level by level and without
// recursion (documents nest up to 65,535 deep), while following the same tree through
// the element table's links. Every cursor step must agree with the table; on every
// element the attribute and text queries run and their results are checked against the
// record's extent. At each level, FindNext(probeName) must find exactly the children
// whose names match by the reader's name rule.
struct WalkResult {
  std::size_t visited = 0;
  // A hash of every attribute value and text the walk read, in order; two readers that
  // answer every query alike have equal digests.
  std::uint64_t digest = 0xCBF29CE484222325ull;
};
WalkResult WalkAndCheck(XmlReader& reader, std::string_view document,
                        std::string_view probeName);

}  // namespace tessaly::fuzz
