#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/WindowsFacts.h"
#include "platform/portable/RegistryText.h"

namespace tessaly {
namespace {

// The machine-wide values only, in the process's own registry view.
constexpr RegistryTextSource kInternetExplorer{RegistryRoot::LocalMachine,
                                               u"SOFTWARE\\Microsoft\\Internet Explorer",
                                               RegistryAccess::Read, RegistryView::Default};
constexpr std::size_t kVersionBufferBytes = 200;

}  // namespace

std::u16string InternetExplorerVersion(const Registry& registry) {
  // "svcVersion" holds the full version from Internet Explorer 10 on, where "Version"
  // stays at 9.x; older browsers have only "Version". An empty value tells nothing and
  // gives way to the next one.
  for (const std::u16string_view name : {u"svcVersion", u"Version"}) {
    std::optional<std::u16string> version =
        ReadRegistryText(registry, kInternetExplorer, name, kVersionBufferBytes);
    if (version && !version->empty()) {
      return std::move(*version);
    }
  }
  return u"0";
}

}  // namespace tessaly
