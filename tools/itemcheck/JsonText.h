#pragma once

#include <string>
#include <string_view>

namespace tessaly::itemcheck {

// Appends `text` to `out` as a JSON string literal. Configuration texts are UTF-8 and are
// written as they stand; bytes that are not valid UTF-8 (a document may hold anything)
// become U+FFFD so the output stays valid JSON.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace tessaly::itemcheck
