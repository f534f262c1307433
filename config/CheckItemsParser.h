#pragma once

#include <cstddef>
#include <string>

#include "config/CheckConfig.h"
#include "config/ConfigPlatform.h"

namespace tessaly {

// The most elements a check-item document may hold. The bank's documents hold well under a
// hundred; the bound keeps a hostile document from growing the model (every element may
// carry a URL of up to kMaxUrlBytes and a path) past what a 32-bit process can hold.
inline constexpr std::size_t kMaxCheckItemsElements = 16384;

// Reads a check-item document (root `checkitems`) into `config`: the base URL, the groups
// (entries of a type that already has a group are appended to it), the items and
// components, and the update record. Installers whose condition does not hold on the
// running Windows are left out; URLs, download paths and expanded local paths are derived
// as the document is read.
//
// Answers false and leaves `config` untouched (configReady included) when the reader judges
// the document unsound, its root is not `checkitems`, or it holds more than
// kMaxCheckItemsElements elements. Otherwise stores configReady true last, with release
// ordering, and answers true. The caller empties groups, items and components first.
bool ParseCheckItems(CheckConfig& config, std::string document, const ConfigPlatform& platform);

}  // namespace tessaly
