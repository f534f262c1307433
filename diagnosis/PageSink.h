#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace tessaly {

// One argument value of `setState`: the page's script receives a 32-bit signed integer or
// a string.
using PageValue = std::variant<std::int32_t, std::u16string>;

// The script functions of the loaded page that the program calls. Every call is fire and
// forget: no result is read, and a call that fails (page not loaded yet, function missing)
// is dropped by the implementation, so the logic never waits for or depends on the page.
// The method names are the page's function names.
class PageSink {
 public:
  virtual ~PageSink() = default;
  virtual void setState(std::int32_t category, std::int32_t item, const PageValue& value) = 0;
  virtual void clearState(std::int32_t category, std::int32_t item) = 0;
  virtual void setTab(std::u16string_view group, std::int32_t tab, std::int32_t count) = 0;
  virtual void ShowDivc(std::int32_t flag) = 0;
  virtual void setUserTypeUI() = 0;
};

}  // namespace tessaly
