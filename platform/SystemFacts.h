#pragma once

namespace tessaly {

// Facts about the running Windows.
class SystemFacts {
 public:
  virtual ~SystemFacts() = default;
  // The major version number as the platform's version query reports it (5 for XP, 6 for
  // Vista to 8.1, 10 for Windows 10 and 11 when the program declares itself compatible).
  virtual unsigned WindowsMajorVersion() const = 0;
};

}  // namespace tessaly
