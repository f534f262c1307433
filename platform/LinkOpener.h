#pragma once

#include <string_view>

namespace tessaly {

// Opens a web address for the user in Internet Explorer, never the default browser: the
// bank's sites need its controls. The outcome is not reported.
class LinkOpener {
 public:
  virtual ~LinkOpener() = default;
  virtual void Open(std::u16string_view address) const = 0;
};

}  // namespace tessaly
