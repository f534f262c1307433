#include "diagnosis/JsonLinesPageSink.h"

#include <array>
#include <variant>

#include "platform/portable/Utf8Codec.h"

namespace tessaly {
namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUnicodeEscape(std::string& json, char16_t unit) {
  constexpr std::array<char, 16> kHexDigits = {'0', '1', '2', '3', '4', '5', '6', '7',
                                               '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
  json += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) {
    json += kHexDigits[static_cast<std::size_t>((unit >> shift) & 0xF)];
  }
}

// The escape JSON has a short form for, or nothing.
const char* ShortEscape(char16_t unit) {
  switch (unit) {
    case u'"':
      return "\\\"";
    case u'\\':
      return "\\\\";
    case u'\b':
      return "\\b";
    case u'\f':
      return "\\f";
    case u'\n':
      return "\\n";
    case u'\r':
      return "\\r";
    case u'\t':
      return "\\t";
    default:
      return nullptr;
  }
}

std::string JsonValue(const PageValue& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) {
    return std::to_string(*number);
  }
  return JsonString(std::get<std::u16string>(value));
}

}  // namespace

std::string JsonString(std::u16string_view text) {
  std::string json = "\"";
  for (std::size_t index = 0; index < text.size(); ++index) {
    const char16_t unit = text[index];
    if (const char* escape = ShortEscape(unit)) {
      json += escape;
    } else if (unit < 0x20) {
      AppendUnicodeEscape(json, unit);
    } else if (IsHighSurrogate(unit) && index + 1 < text.size() &&
               IsLowSurrogate(text[index + 1])) {
      json += EncodeUtf8(text.substr(index, 2));
      ++index;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUnicodeEscape(json, unit);
    } else {
      json += EncodeUtf8(text.substr(index, 1));
    }
  }
  json += '"';
  return json;
}

void JsonLinesPageSink::setState(std::int32_t category, std::int32_t item,
                                 const PageValue& value) {
  WriteLine("setState",
            std::to_string(category) + "," + std::to_string(item) + "," + JsonValue(value));
  if (next_ != nullptr) {
    next_->setState(category, item, value);
  }
}

void JsonLinesPageSink::clearState(std::int32_t category, std::int32_t item) {
  WriteLine("clearState", std::to_string(category) + "," + std::to_string(item));
  if (next_ != nullptr) {
    next_->clearState(category, item);
  }
}

void JsonLinesPageSink::setTab(std::u16string_view group, std::int32_t tab, std::int32_t count) {
  WriteLine("setTab",
            JsonString(group) + "," + std::to_string(tab) + "," + std::to_string(count));
  if (next_ != nullptr) {
    next_->setTab(group, tab, count);
  }
}

void JsonLinesPageSink::ShowDivc(std::int32_t flag) {
  WriteLine("ShowDivc", std::to_string(flag));
  if (next_ != nullptr) {
    next_->ShowDivc(flag);
  }
}

void JsonLinesPageSink::setUserTypeUI() {
  WriteLine("setUserTypeUI", "");
  if (next_ != nullptr) {
    next_->setUserTypeUI();
  }
}

void JsonLinesPageSink::WriteLine(std::string_view function, std::string_view arguments) {
  *out_ << "{\"fn\":\"" << function << "\",\"args\":[" << arguments << "]}\n";
  out_->flush();
}

}  // namespace tessaly
