#pragma once

namespace tessaly {

// The C library's pseudo-random generator as the compatibility list uses it: reseeded with
// the current time in seconds before every use, so two uses within one second repeat the
// same numbers. Callers rely on nothing but that shape; the numbers are no secret.
class SeededRandom {
 public:
  virtual ~SeededRandom() = default;
  // Seeds the generator with the current time in whole seconds.
  virtual void SeedWithCurrentTime() = 0;
  // The next number of the sequence, between 0 and the generator's maximum.
  virtual int Next() = 0;
};

}  // namespace tessaly
