#include "platform/portable/CLibraryRandom.h"

#include <cstdlib>

namespace tessaly {

void CLibraryRandom::SeedWithCurrentTime() {
  // The seed is the time truncated to the generator's unsigned seed, as time() is passed.
  std::srand(static_cast<unsigned>(clock_->Now()));
}

int CLibraryRandom::Next() { return std::rand(); }

}  // namespace tessaly
