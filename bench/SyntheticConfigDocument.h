#pragma once

#include <cstddef>
#include <string>

namespace tessaly::bench {

// A check-item document of at least `targetBytes` bytes, the same on every run and every
// machine: about half configuration groups of every type with their entries, the rest
// items and components with detect, file and installer children, then the update record.
// Values look like the real ones (registry paths, GUIDs, digests, versions, Chinese
// names) and some carry entity and character references. Only the five XML entities and
// numeric references are used, so any conforming XML parser reads the same values.
std::string SyntheticConfigDocument(std::size_t targetBytes);

}  // namespace tessaly::bench
