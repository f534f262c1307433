#pragma once

#include <memory>

namespace tessaly::win32 {

// Owns one reference to a COM interface and releases it when the owner goes away.
struct ComReleaser {
  template <typename Interface>
  void operator()(Interface* pointer) const noexcept {
    if (pointer != nullptr) {
      pointer->Release();
    }
  }
};

template <typename Interface>
using unique_com_ptr = std::unique_ptr<Interface, ComReleaser>;

}  // namespace tessaly::win32
