#include "diagnosis/RegistryEntryCheck.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "config/TextConversion.h"
#include "diagnosis/HexText.h"
#include "diagnosis/RegistryPath.h"
#include "platform/RegistryValues.h"

namespace tessaly {
namespace {

constexpr std::size_t kMaxTextCharacters = 512;
constexpr std::size_t kMaxBinaryBytes = 512;

struct DwordRule {
  std::uint32_t mask = 0;
  std::uint32_t wanted = 0;  // already masked
};
struct TextRule {
  std::u16string wanted;
};
struct BinaryRule {
  std::vector<std::uint8_t> wanted;
};
using ValueRule = std::variant<DwordRule, TextRule, BinaryRule>;

enum class Verdict { Holds, Differs, Missing, Unreadable };

// What a measurement found, and for a value that differs or is missing the value that
// would put it right.
struct Judgement {
  Verdict verdict = Verdict::Unreadable;
  RegistryValue replacement{};
};

std::optional<std::uint32_t> DecimalNumber(std::string_view text) {
  std::uint32_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number, 10);
  if (text.empty() || error != std::errc() || stop != end) {
    return std::nullopt;
  }
  return number;
}

// UTF-16 for the registry; nothing when a non-empty text does not convert, since an empty
// result would silently name the default value or the root key instead.
std::optional<std::u16string> WideText(const CodePages& codePages, std::string_view utf8) {
  std::u16string wide = Utf8ToWide(codePages, utf8);
  if (wide.empty() && !utf8.empty()) {
    return std::nullopt;
  }
  return wide;
}

std::optional<ValueRule> RuleOf(const CodePages& codePages, const ConfigEntry& entry) {
  if (entry.type == "reg_dword") {
    const auto mask = entry.mask.empty() ? std::optional<std::uint32_t>(0xFFFFFFFFu)
                                         : DecimalNumber(entry.mask);
    const auto value = DecimalNumber(entry.value);
    if (!mask || !value) {
      return std::nullopt;
    }
    return DwordRule{*mask, *value & *mask};
  }
  if (entry.type == "reg_sz") {
    auto wanted = WideText(codePages, entry.value);
    if (!wanted) {
      return std::nullopt;
    }
    return TextRule{std::move(*wanted)};
  }
  if (entry.type == "reg_binary") {
    return BinaryRule{BytesOfHexText(entry.value)};
  }
  return std::nullopt;
}

Judgement Judge(const RegistryKey& key, std::u16string_view name, const DwordRule& rule) {
  const RegistryRead<std::uint32_t> stored = ReadDword(key, name);
  switch (stored.result) {
    case ReadResult::Ok:
      if ((stored.value & rule.mask) == rule.wanted) {
        return {Verdict::Holds};
      }
      return {Verdict::Differs, DwordValue((stored.value & ~rule.mask) | rule.wanted)};
    case ReadResult::Missing:
      return {Verdict::Missing, DwordValue(rule.wanted)};
    default:
      return {Verdict::Unreadable};
  }
}

Judgement Judge(const RegistryKey& key, std::u16string_view name, const TextRule& rule) {
  const RegistryRead<std::u16string> stored =
      ReadString(key, name, (kMaxTextCharacters + 1) * sizeof(char16_t));
  switch (stored.result) {
    case ReadResult::Ok:
      if (stored.value == rule.wanted) {
        return {Verdict::Holds};
      }
      return {Verdict::Differs, StringValue(rule.wanted)};
    case ReadResult::Missing:
      return {Verdict::Missing, StringValue(rule.wanted)};
    default:
      return {Verdict::Unreadable};
  }
}

Judgement Judge(const RegistryKey& key, std::u16string_view name, const BinaryRule& rule) {
  RegistryValue stored;
  const RegistryStatus status = key.ReadValue(name, stored);
  const RegistryValue wanted{RegistryType::Binary, rule.wanted};
  if (status == RegistryStatus::NotFound) {
    return {Verdict::Missing, wanted};
  }
  if (status != RegistryStatus::Ok || stored.data.size() > kMaxBinaryBytes) {
    return {Verdict::Unreadable};
  }
  if (stored.type == RegistryType::Binary && stored.data == rule.wanted) {
    return {Verdict::Holds};
  }
  return {Verdict::Differs, wanted};
}

Judgement Judge(const RegistryKey& key, std::u16string_view name, const ValueRule& rule) {
  return std::visit([&](const auto& typed) { return Judge(key, name, typed); }, rule);
}

}  // namespace

bool EnforceRegistryEntry(const Registry& registry, const CodePages& codePages,
                          const ConfigEntry& entry, bool repair) {
  const std::optional<RegistryPath> path = SplitRegistryPath(entry.text);
  const std::optional<ValueRule> rule = RuleOf(codePages, entry);
  if (!path || !rule) {
    return false;
  }
  const std::optional<std::u16string> subkey = WideText(codePages, path->subkey);
  const std::optional<std::u16string> name = WideText(codePages, entry.name);
  if (!subkey || !name) {
    return false;
  }

  std::unique_ptr<RegistryKey> key =
      registry.OpenKey(path->root, *subkey, kCheckKeyAccess, kCheckKeyView);
  if (key == nullptr && repair) {
    key = registry.CreateKey(path->root, *subkey, kCheckKeyAccess, kCheckKeyView);
  }
  if (key == nullptr) {
    return false;
  }

  const Judgement judgement = Judge(*key, *name, *rule);
  if (judgement.verdict == Verdict::Holds) {
    return true;
  }
  if (!repair || judgement.verdict == Verdict::Unreadable) {
    return false;
  }
  if (key->WriteValue(*name, judgement.replacement) != RegistryStatus::Ok) {
    return false;
  }
  return Judge(*key, *name, *rule).verdict == Verdict::Holds;
}

}  // namespace tessaly
