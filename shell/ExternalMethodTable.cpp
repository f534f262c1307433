#include "shell/ExternalMethodTable.h"

#include <algorithm>

namespace tessaly {
namespace {

constexpr bool HasDeclaredType(ParameterType type, const MethodArgument& argument) {
  switch (type) {
    case ParameterType::Boolean:
      return std::holds_alternative<bool>(argument);
    case ParameterType::Integer:
      return std::holds_alternative<std::int32_t>(argument);
    case ParameterType::Text:
      return std::holds_alternative<std::u16string>(argument);
  }
  return false;
}

constexpr bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

const ExternalMethod* FindExternalMethod(std::u16string_view name) {
  const auto found = std::find_if(kExternalMethods.begin(), kExternalMethods.end(),
                                  [name](const ExternalMethod& m) { return m.name == name; });
  return found == kExternalMethods.end() ? nullptr : &*found;
}

const ExternalMethod* FindExternalMethod(std::int32_t id) {
  if (id < 1 || id > static_cast<std::int32_t>(kExternalMethods.size())) {
    return nullptr;
  }
  return &kExternalMethods[static_cast<std::size_t>(id - 1)];
}

bool MatchesParameters(const ExternalMethod& method, std::span<const MethodArgument> arguments) {
  if (arguments.size() != method.parameterCount) {
    return false;
  }
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (!HasDeclaredType(method.parameters[i], arguments[i])) {
      return false;
    }
  }
  return true;
}

std::optional<std::int32_t> IntegerFromText(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  const bool negative = !text.empty() && text.front() == u'-';
  if (negative) {
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 10) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') {
      return std::nullopt;
    }
    value = value * 10 + (c - u'0');
  }
  value = negative ? -value : value;
  if (value < INT32_MIN || value > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace tessaly
