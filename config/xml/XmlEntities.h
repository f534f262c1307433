#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// The character a named entity stands for: the five XML entities and the HTML 4.01
// character entities, matched without regard to case. Where two HTML names differ only
// in case ("Agrave"/"agrave"), the one with a capital letter answers.
std::optional<char32_t> LookupEntity(std::string_view name);

// Copies `raw` with entity and character references replaced by their characters in
// UTF-8. A reference that is not recognised stays as it stands.
std::string DecodeXmlText(std::string_view raw);

// Appends `value` as UTF-8; values of 0x10000 and above are written as four bytes from
// their low 21 bits, whatever they are.
void AppendUtf8(std::string& out, char32_t value);

}  // namespace tessaly
