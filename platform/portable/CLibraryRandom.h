#pragma once

#include "platform/Clock.h"
#include "platform/SeededRandom.h"

namespace tessaly {

// srand and rand of the C library, seeded from the clock. The generator's state belongs to
// the C library (per thread with the Windows runtime); only the GUI thread draws from it.
class CLibraryRandom final : public SeededRandom {
 public:
  explicit CLibraryRandom(const Clock& clock) : clock_(&clock) {}

  void SeedWithCurrentTime() override;
  int Next() override;

 private:
  const Clock* clock_;
};

}  // namespace tessaly
