#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace tessaly {

// Page methods whose work belongs to parts of the program that bind them when they exist:
// the certificate-download progress window, the enrolment-control repair and the
// self-update on demand. Unbound they do nothing, which the page takes as "nothing to
// show". All are called on the GUI thread; rebind an entry, never empty it.
struct ShellOperations {
  std::function<void(std::int32_t mode, std::u16string_view title, std::u16string_view text)>
      downloadingBox = [](std::int32_t, std::u16string_view, std::u16string_view) {};
  std::function<void()> checkAndFixCertEnroll = [] {};
  std::function<void()> update = [] {};
};

}  // namespace tessaly
