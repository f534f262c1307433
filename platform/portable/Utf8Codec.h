#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly {

// Length of the well-formed UTF-8 sequence that starts at `position` (1 to 4), or 0 when
// the bytes there are malformed (bad lead or continuation, overlong form, surrogate,
// beyond U+10FFFF, cut off by the end).
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t position);

// UTF-8 <-> UTF-16 without the platform, with the replacement rule of the Windows
// converters: malformed input becomes U+FFFD instead of failing the whole text.
std::u16string DecodeUtf8(std::string_view bytes);
std::string EncodeUtf8(std::u16string_view text);

}  // namespace tessaly
