#include "tests/fakes/FakeCodePages.h"

#include <array>

#include "platform/portable/Utf8Codec.h"

namespace tessaly {
namespace {

constexpr unsigned kCodePageWindows1252 = 1252;

// Windows-1252 bytes 0x80-0x9F; the five bytes the code page leaves undefined map to the C1
// controls of the same value, as Windows maps them. Every other byte is its own code point.
constexpr std::array<char16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::u16string DecodeWindows1252(std::string_view bytes) {
  std::u16string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text += (byte >= 0x80 && byte < 0xA0) ? kWindows1252High[byte - 0x80u]
                                          : static_cast<char16_t>(byte);
  }
  return text;
}

char EncodeWindows1252Unit(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
    return static_cast<char>(unit);
  }
  for (std::size_t i = 0; i < kWindows1252High.size(); ++i) {
    if (kWindows1252High[i] == unit) {
      return static_cast<char>(0x80 + i);
    }
  }
  if (unit >= 0xFF01 && unit <= 0xFF5E) {
    return static_cast<char>(unit - 0xFEE0);
  }
  return '?';
}

std::string EncodeWindows1252(std::u16string_view text) {
  std::string bytes;
  for (const char16_t unit : text) {
    bytes += EncodeWindows1252Unit(unit);
  }
  return bytes;
}

}  // namespace

FakeCodePages::Codec FakeCodePages::CodecFor(unsigned codePage) const {
  if (failingCodePages.contains(codePage)) {
    return Codec::None;
  }
  switch (codePage) {
    case kCodePageAnsi:
      return ansi == Ansi::Utf8 ? Codec::Utf8 : Codec::Windows1252;
    case kCodePageUtf8:
      return Codec::Utf8;
    case kCodePageWindows1252:
      return Codec::Windows1252;
    default:
      return Codec::None;
  }
}

std::u16string FakeCodePages::ToWide(unsigned codePage, std::string_view bytes) const {
  switch (CodecFor(codePage)) {
    case Codec::Utf8:
      return DecodeUtf8(bytes);
    case Codec::Windows1252:
      return DecodeWindows1252(bytes);
    case Codec::None:
      break;
  }
  return {};
}

std::string FakeCodePages::FromWide(unsigned codePage, std::u16string_view text) const {
  switch (CodecFor(codePage)) {
    case Codec::Utf8:
      return EncodeUtf8(text);
    case Codec::Windows1252:
      return EncodeWindows1252(text);
    case Codec::None:
      break;
  }
  return {};
}

}  // namespace tessaly
