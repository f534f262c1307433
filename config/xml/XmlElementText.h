#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The decoded text of an element's content (between its start and end tag): character
// data decoded, CDATA sections taken raw without their brackets, whitespace-only runs
// between markup, comments and processing instructions left out. Content without any
// markup is decoded whole, whitespace included.
std::string ElementText(std::string_view content);

}  // namespace tessaly
