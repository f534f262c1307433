#include "platform/portable/Utf8Codec.h"

namespace tessaly {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct SequenceForm {
  std::size_t length;
  char32_t leadBits;
  char32_t minimum;
};

// The form a lead byte announces; length 0 for a byte that cannot start a sequence.
SequenceForm FormOfLead(unsigned char lead) {
  if (lead < 0x80) return {1, lead, 0};
  if ((lead & 0xE0) == 0xC0) return {2, lead & 0x1Fu, 0x80};
  if ((lead & 0xF0) == 0xE0) return {3, lead & 0x0Fu, 0x800};
  if ((lead & 0xF8) == 0xF0) return {4, lead & 0x07u, 0x10000};
  return {0, 0, 0};
}

// The scalar value of the sequence at `position`, or kInvalid when it is malformed.
constexpr char32_t kInvalid = 0xFFFFFFFF;

char32_t ScalarAt(std::string_view bytes, std::size_t position, std::size_t& length) {
  const SequenceForm form = FormOfLead(static_cast<unsigned char>(bytes[position]));
  length = form.length;
  if (form.length == 0 || bytes.size() - position < form.length) {
    return kInvalid;
  }
  char32_t value = form.leadBits;
  for (std::size_t i = 1; i < form.length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[position + i]);
    if ((next & 0xC0) != 0x80) {
      return kInvalid;
    }
    value = (value << 6) | (next & 0x3Fu);
  }
  if (value < form.minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return kInvalid;
  }
  return value;
}

void AppendUtf8(std::string& out, char32_t value) {
  if (value < 0x80) {
    out.push_back(static_cast<char>(value));
  } else if (value < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (value >> 6)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else if (value < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (value >> 12)));
    out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (value >> 18)));
    out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  }
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t position) {
  std::size_t length = 0;
  return ScalarAt(bytes, position, length) == kInvalid ? 0 : length;
}

std::u16string DecodeUtf8(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  std::size_t position = 0;
  while (position < bytes.size()) {
    std::size_t length = 0;
    char32_t value = ScalarAt(bytes, position, length);
    // A malformed sequence consumes only its first byte, so the next valid character
    // is not swallowed with it.
    if (value == kInvalid) {
      value = kReplacement;
      length = 1;
    }
    position += length;
    if (value >= 0x10000) {
      const char32_t offset = value - 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(value));
    }
  }
  return text;
}

std::string EncodeUtf8(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t value = text[i];
    if (value >= 0xD800 && value <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      value = 0x10000 + ((value - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (value >= 0xD800 && value <= 0xDFFF) {
      value = kReplacement;
    }
    AppendUtf8(bytes, value);
  }
  return bytes;
}

}  // namespace tessaly
