#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// Bytes as upper-case hexadecimal text, two digits per byte ("0123456789ABCDEF").
std::string HexText(std::span<const std::uint8_t> bytes);

// Hexadecimal text as bytes: each pair of characters becomes one byte. Digits are 0-9, A-F
// and a-f; any other character counts as the digit 0, and an odd last character is
// dropped, so every text gives some bytes and none is refused.
std::vector<std::uint8_t> BytesOfHexText(std::string_view text);

}  // namespace tessaly
