#pragma once

#include <cstddef>
#include <vector>

#include "platform/SeededRandom.h"

namespace tessaly {

// A generator that answers `draws` in order, round and round (0 when empty). Every seed
// starts the script again, as the real generator repeats itself when reseeded within the
// same second; `seeds` counts the seeds.
class ScriptedRandom final : public SeededRandom {
 public:
  std::vector<int> draws;
  int seeds = 0;

  void SeedWithCurrentTime() override {
    ++seeds;
    next_ = 0;
  }
  int Next() override { return draws.empty() ? 0 : draws[next_++ % draws.size()]; }

 private:
  std::size_t next_ = 0;
};

}  // namespace tessaly
