#pragma once

#include <cstdio>

namespace tessaly::fuzz {

// A broken invariant is a finding: say which one, then stop the way libFuzzer records as
// a crash, so the input lands in an artifact file.
inline void Require(bool holds, const char* invariant) {
  if (!holds) {
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    __builtin_trap();
  }
}

}  // namespace tessaly::fuzz
