#pragma once

#include <objbase.h>

namespace tessaly::win32 {

// COM for the calling thread, as a single-threaded apartment, for as long as the object
// lives: the zone and security managers of the checks are COM objects of the GUI thread.
class ComApartment {
 public:
  ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (ok_) {
      CoUninitialize();
    }
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

}  // namespace tessaly::win32
