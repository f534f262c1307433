#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/fakes/ScriptedPkcs11.h"

namespace tessaly {

// Reads a description of tokens, one statement a line:
//   token <serial> <flags, hex> <user-PIN tries left>
//   certificate <path of a DER file>      (a certificate of the token above)
// Blank lines and lines starting with '#' are ignored. `readFile` answers a file's bytes.
// Nothing when a line cannot be understood or a certificate cannot be read.
std::optional<std::vector<ScriptedPkcs11::Token>> ReadTokenFile(
    std::string_view text, const std::function<std::optional<std::string>(const std::string&)>& readFile);

}  // namespace tessaly
