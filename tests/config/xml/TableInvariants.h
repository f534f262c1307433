#pragma once

#include <string>

#include "config/xml/XmlReader.h"

namespace tessaly::testing_support {

// Checks the links of every record the last Parse built: each element is reached exactly
// once from record 0 through first-child and next-sibling links; it names the parent it
// is reached from; exactly the first child of a parent carries the first-child flag and
// holds the last sibling as its previous sibling; every other child holds its
// predecessor. Answers "" when all hold, else the first broken rule.
std::string CheckTableLinks(const XmlReader& reader);

}  // namespace tessaly::testing_support
