#pragma once

#include <array>
#include <cstdint>

namespace tessaly::xml_chars {

// Byte classes the reader's scanners test. One table lookup per byte keeps the hot loops
// free of chains of comparisons.
enum : std::uint8_t {
  kWhitespace = 1u << 0,        // tab, line feed, carriage return, space
  kStartTagFirst = 1u << 1,     // a byte after '<' that opens a start tag
  kTagNameEnd = 1u << 2,        // ends the name of a start or end tag: whitespace, '/', '>'
  kElementNameEnd = 1u << 3,    // ends an element name read for searching
  kAttributeWordEnd = 1u << 4,  // ends a bare word in a start tag: whitespace, '/', '=', '>', '?'
  kUnquotedValueEnd = 1u << 5,  // ends an unquoted value: whitespace, '>'
  kEqualsOrClose = 1u << 6,     // '=' or '>': what the start-tag scanner stops at between values
  kQuote = 1u << 7,             // '"' or '\''
};

constexpr std::array<std::uint8_t, 256> MakeCharClassTable() {
  std::array<std::uint8_t, 256> table{};
  auto add = [&table](char byte, std::uint8_t classes) {
    const auto slot = static_cast<unsigned char>(byte);
    table[slot] = static_cast<std::uint8_t>(table[slot] | classes);
  };
  for (char byte : {'\t', '\n', '\r', ' '}) {
    add(byte, kWhitespace | kTagNameEnd | kElementNameEnd | kAttributeWordEnd | kUnquotedValueEnd);
  }
  for (unsigned byte = 'A'; byte <= 'Z'; ++byte) table[byte] |= kStartTagFirst;
  for (unsigned byte = 0x61; byte <= 0xFF; ++byte) table[byte] |= kStartTagFirst;
  add('_', kStartTagFirst);
  add(':', kStartTagFirst);
  add('/', kTagNameEnd | kElementNameEnd | kAttributeWordEnd);
  add('>', kTagNameEnd | kElementNameEnd | kAttributeWordEnd | kUnquotedValueEnd | kEqualsOrClose);
  add('=', kElementNameEnd | kAttributeWordEnd | kEqualsOrClose);
  add('?', kElementNameEnd | kAttributeWordEnd);
  for (char byte : {'!', ';', '<', '\\'}) add(byte, kElementNameEnd);
  add('"', kElementNameEnd | kQuote);
  add('\'', kElementNameEnd | kQuote);
  return table;
}

inline constexpr std::array<std::uint8_t, 256> kCharClasses = MakeCharClassTable();

constexpr bool Is(char byte, std::uint8_t classes) {
  return (kCharClasses[static_cast<unsigned char>(byte)] & classes) != 0;
}

}  // namespace tessaly::xml_chars
