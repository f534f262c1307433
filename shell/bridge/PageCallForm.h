#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tessaly {

// A value as the page's script passed it, before the program converts it to a declared
// parameter type: undefined, null, a boolean, a number, a string, or something else (an
// object or function), which converts to nothing.
struct ScriptObject {};
using ScriptValue =
    std::variant<std::monostate, std::nullptr_t, bool, double, std::u16string, ScriptObject>;

// One call of a method of the page's `external` object, as the bridge's script sends it:
// a form body "m=NAME[&r=1][&a=ARG]...", each part percent-encoded, each ARG its value's
// kind and text: "u" undefined, "z" null, "b0"/"b1", "n" and the number as the script
// writes it ("12", "-0.5", "1e+21", "NaN", "Infinity"), "s" and the string, "o" anything
// else. "r=1" marks a property read rather than a call.
struct ExternalMethodCall {
  std::u16string name;
  bool propertyRead = false;
  std::vector<ScriptValue> arguments;
};

// More arguments than any method takes, by a margin; a call with more is refused whole.
inline constexpr std::size_t kMaxPageCallArguments = 16;

// The call in `body`; nothing when the form is not one (unknown or repeated fields, a
// missing name, bad escapes or UTF-8, an argument of no known kind, too many arguments).
std::optional<ExternalMethodCall> ParsePageCall(std::string_view body);

// The answer to a call, the first line of the exchange's reply: {"result":N} after a
// getter, {} after any other method, {"error":"..."} when the call was refused. The page
// functions called meanwhile follow it, one JSON line each (QueuedPageSink).
std::string PageCallAnswer(std::optional<std::int32_t> result);
std::string PageCallRefusal(std::string_view reason);

}  // namespace tessaly
