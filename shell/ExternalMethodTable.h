#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace tessaly {

// The page's `external` object: 26 methods, looked up by exact name, numbered 1 to 26 in
// this order. Every host (the browser control's dispatch object, the development bridge,
// the console) converts the page's arguments to the declared types and then calls
// ExternalMethods::Call with the method's entry, so routing is written once.
enum class ParameterType : std::uint8_t { Boolean, Integer, Text };

struct ExternalMethod {
  std::u16string_view name;
  std::int32_t id;
  std::array<ParameterType, 3> parameters;
  std::uint8_t parameterCount;
  // Returns an integer; such a method takes no argument and also answers a property read
  // (`external.getFirst` without parentheses).
  bool returnsInteger;
};

// The method ids, as the page's dispatch numbers them.
enum ExternalMethodId : std::int32_t {
  kCheatRegistry = 1, kCheckUkeySimple, kMessageBox, kDownloadingBox, kCheckAndFixCertEnroll,
  kInstall, kFix, kCheck, kInstallAndFix, kStop, kExit, kMini, kSite, kChecking,
  kSetUserType, kGetUserType, kSetUpdateType, kGetUpdateType, kSetFirst, kGetFirst,
  kSetWithWindows, kGetWithWindows, kSetCloseType, kGetCloseType, kOpenUrl, kUpdate,
};

namespace external_table_detail {
using P = ParameterType;
constexpr ExternalMethod M(std::u16string_view name, std::int32_t id, bool returns = false) {
  return {name, id, {}, 0, returns};
}
constexpr ExternalMethod M(std::u16string_view name, std::int32_t id, P a) {
  return {name, id, {a}, 1, false};
}
constexpr ExternalMethod M(std::u16string_view name, std::int32_t id, P a, P b) {
  return {name, id, {a, b}, 2, false};
}
constexpr ExternalMethod M(std::u16string_view name, std::int32_t id, P a, P b, P c) {
  return {name, id, {a, b, c}, 3, false};
}
}  // namespace external_table_detail

inline constexpr std::array<ExternalMethod, 26> kExternalMethods = [] {
  using namespace external_table_detail;
  return std::array<ExternalMethod, 26>{
      M(u"cheatRegistry", kCheatRegistry, P::Boolean),
      M(u"checkUkeySimple", kCheckUkeySimple),
      M(u"messageBox", kMessageBox, P::Text, P::Text),
      M(u"downloadingBox", kDownloadingBox, P::Integer, P::Text, P::Text),
      M(u"checkAndFixCertEnroll", kCheckAndFixCertEnroll),
      M(u"install", kInstall, P::Integer),
      M(u"fix", kFix, P::Integer),
      M(u"check", kCheck, P::Integer),
      M(u"installandfix", kInstallAndFix),
      M(u"stop", kStop, P::Integer),
      M(u"exit", kExit),
      M(u"mini", kMini),
      M(u"site", kSite),
      M(u"Checking", kChecking),
      M(u"setusertype", kSetUserType, P::Integer),
      M(u"getusertype", kGetUserType, true),
      M(u"setupdatetype", kSetUpdateType, P::Integer),
      M(u"getupdatetype", kGetUpdateType, true),
      M(u"setFirst", kSetFirst, P::Integer),
      M(u"getFirst", kGetFirst, true),
      M(u"setwithwindows", kSetWithWindows, P::Integer),
      M(u"getwithwindows", kGetWithWindows, true),
      M(u"setclosetype", kSetCloseType, P::Integer),
      M(u"getclosetype", kGetCloseType, true),
      M(u"openurl", kOpenUrl, P::Text),
      M(u"update", kUpdate),
  };
}();

// One argument after conversion to its declared type.
using MethodArgument = std::variant<bool, std::int32_t, std::u16string>;

// Whatever runs the methods (the program core; a recording stand-in in tests).
class ExternalMethodTarget {
 public:
  virtual ~ExternalMethodTarget() = default;
  // Runs `method` with arguments of its declared types; false, running nothing, when the
  // count or a type does not match. A getter's value goes to `result`.
  virtual bool Call(const ExternalMethod& method, std::span<const MethodArgument> arguments,
                    std::int32_t* result) = 0;
};

// The entry of that exact (case-sensitive) name or id; nullptr when there is none.
const ExternalMethod* FindExternalMethod(std::u16string_view name);
const ExternalMethod* FindExternalMethod(std::int32_t id);

// Whether `arguments` has the method's count and each argument its declared type.
bool MatchesParameters(const ExternalMethod& method, std::span<const MethodArgument> arguments);

// Converts the text of a page argument to an integer parameter the way the page's select
// boxes need it ("0", "1", "2", also "-1" and surrounding blanks); nothing for any other
// text or one outside 32 bits.
std::optional<std::int32_t> IntegerFromText(std::u16string_view text);

}  // namespace tessaly
