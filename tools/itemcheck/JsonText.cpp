#include "tools/itemcheck/JsonText.h"

#include <array>

#include "platform/portable/Utf8Codec.h"

namespace tessaly::itemcheck {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

void AppendEscapedControl(std::string& out, unsigned char byte) {
  static constexpr std::array<char, 16> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
  out += "\\u00";
  out.push_back(kHex[byte >> 4]);
  out.push_back(kHex[byte & 0x0F]);
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  std::size_t position = 0;
  while (position < text.size()) {
    const auto byte = static_cast<unsigned char>(text[position]);
    switch (byte) {
      case '"': out += "\\\""; ++position; continue;
      case '\\': out += "\\\\"; ++position; continue;
      case '\n': out += "\\n"; ++position; continue;
      case '\r': out += "\\r"; ++position; continue;
      case '\t': out += "\\t"; ++position; continue;
      default: break;
    }
    if (byte < 0x20) {
      AppendEscapedControl(out, byte);
      ++position;
      continue;
    }
    const std::size_t length = Utf8SequenceLength(text, position);
    if (length == 0) {
      out += kReplacementUtf8;
      ++position;
    } else {
      out.append(text, position, length);
      position += length;
    }
  }
  out.push_back('"');
}

}  // namespace tessaly::itemcheck
