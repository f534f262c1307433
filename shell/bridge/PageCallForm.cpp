#include "shell/bridge/PageCallForm.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "diagnosis/JsonLinesPageSink.h"
#include "platform/portable/Utf8Codec.h"

namespace tessaly {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// A percent-encoded form component ('+' is a blank) decoded to UTF-8 and then UTF-16;
// nothing for a broken escape or bytes that are not UTF-8.
std::optional<std::u16string> DecodeComponent(std::string_view encoded) {
  std::string bytes;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    const char c = encoded[i];
    if (c == '+') {
      bytes += ' ';
    } else if (c == '%') {
      if (i + 2 >= encoded.size()) {
        return std::nullopt;
      }
      const int high = HexDigit(encoded[i + 1]);
      const int low = HexDigit(encoded[i + 2]);
      if (high < 0 || low < 0) {
        return std::nullopt;
      }
      bytes += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      bytes += c;
    }
  }
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) {
      return std::nullopt;
    }
    i += length;
  }
  return DecodeUtf8(bytes);
}

std::optional<double> NumberOfText(std::u16string_view text) {
  if (text == u"NaN") {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (text == u"Infinity") {
    return std::numeric_limits<double>::infinity();
  }
  if (text == u"-Infinity") {
    return -std::numeric_limits<double>::infinity();
  }
  std::string ascii;
  for (char16_t unit : text) {
    if (unit >= 0x80) {
      return std::nullopt;
    }
    ascii += static_cast<char>(unit);
  }
  // The script writes exponents with a sign ("1e+21"), which from_chars does not take.
  std::string plain;
  for (std::size_t i = 0; i < ascii.size(); ++i) {
    if (ascii[i] == '+' && i > 0 && (ascii[i - 1] == 'e' || ascii[i - 1] == 'E')) {
      continue;
    }
    plain += ascii[i];
  }
  double value = 0;
  const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (plain.empty() || error != std::errc() || end != plain.data() + plain.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<ScriptValue> ValueOfArgument(std::u16string_view argument) {
  if (argument.empty()) {
    return std::nullopt;
  }
  const std::u16string_view text = argument.substr(1);
  switch (argument.front()) {
    case u'u':
      return text.empty() ? std::optional<ScriptValue>(std::monostate{}) : std::nullopt;
    case u'z':
      return text.empty() ? std::optional<ScriptValue>(nullptr) : std::nullopt;
    case u'o':
      return text.empty() ? std::optional<ScriptValue>(ScriptObject{}) : std::nullopt;
    case u'b':
      if (text == u"0" || text == u"1") {
        return ScriptValue(text == u"1");
      }
      return std::nullopt;
    case u'n': {
      const std::optional<double> number = NumberOfText(text);
      return number ? std::optional<ScriptValue>(*number) : std::nullopt;
    }
    case u's':
      return ScriptValue(std::u16string(text));
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<ExternalMethodCall> ParsePageCall(std::string_view body) {
  ExternalMethodCall call;
  bool named = false;
  bool marked = false;
  while (!body.empty()) {
    const std::size_t ampersand = body.find('&');
    const std::string_view field = body.substr(0, ampersand);
    body = ampersand == std::string_view::npos ? std::string_view() : body.substr(ampersand + 1);
    const std::size_t equals = field.find('=');
    if (equals == std::string_view::npos) {
      return std::nullopt;
    }
    const std::string_view key = field.substr(0, equals);
    const std::optional<std::u16string> value = DecodeComponent(field.substr(equals + 1));
    if (!value) {
      return std::nullopt;
    }
    if (key == "m" && !named && !value->empty()) {
      call.name = *value;
      named = true;
    } else if (key == "r" && !marked && *value == u"1") {
      call.propertyRead = true;
      marked = true;
    } else if (key == "a" && call.arguments.size() < kMaxPageCallArguments) {
      std::optional<ScriptValue> argument = ValueOfArgument(*value);
      if (!argument) {
        return std::nullopt;
      }
      call.arguments.push_back(std::move(*argument));
    } else {
      return std::nullopt;
    }
  }
  if (!named || (call.propertyRead && !call.arguments.empty())) {
    return std::nullopt;
  }
  return call;
}

std::string PageCallAnswer(std::optional<std::int32_t> result) {
  return result ? "{\"result\":" + std::to_string(*result) + "}" : "{}";
}

std::string PageCallRefusal(std::string_view reason) {
  std::u16string wide;
  for (char c : reason) {
    wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  }
  return "{\"error\":" + JsonString(wide) + "}";
}

}  // namespace tessaly
