#pragma once

#include <string>
#include <string_view>

#include "platform/CodePages.h"

namespace tessaly {

// Conversions between the texts of the configuration (UTF-8), the wide texts of the
// platform's W calls (UTF-16) and the byte texts of its A calls (ANSI code page). None of
// them fails: an empty input, or one that cannot be converted, gives an empty result, so a
// caller that needs a value tests for empty.

// UTF-8 to UTF-16. Every configuration text bound for a wide system call goes through here.
std::u16string Utf8ToWide(const CodePages& codePages, std::string_view utf8);
// UTF-8 to the ANSI code page, through UTF-16: file paths for byte-oriented calls.
std::string Utf8ToAnsi(const CodePages& codePages, std::string_view utf8);
// The ANSI code page to UTF-8, through UTF-16.
std::string AnsiToUtf8(const CodePages& codePages, std::string_view ansi);
// Bytes in `codePage` to UTF-16.
std::u16string MultiByteToWideText(const CodePages& codePages, unsigned codePage,
                                   std::string_view bytes);
// UTF-16 to bytes in `codePage`.
std::string WideToMultiByteText(const CodePages& codePages, unsigned codePage,
                                std::u16string_view text);

}  // namespace tessaly
