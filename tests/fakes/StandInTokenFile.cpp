#include "tests/fakes/StandInTokenFile.h"

#include <sstream>

namespace tessaly {

std::optional<std::vector<ScriptedPkcs11::Token>> ReadTokenFile(
    std::string_view text,
    const std::function<std::optional<std::string>(const std::string&)>& readFile) {
  std::vector<ScriptedPkcs11::Token> tokens;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string statement;
    if (!(words >> statement) || statement.starts_with('#')) {
      continue;
    }
    if (statement == "token") {
      ScriptedPkcs11::Token token;
      CK_FLAGS flags = 0;
      if (!(words >> token.serial >> std::hex >> flags >> std::dec >> token.pinTriesLeft)) {
        return std::nullopt;
      }
      token.flags = flags;
      tokens.push_back(std::move(token));
    } else if (statement == "certificate" && !tokens.empty()) {
      std::string path;
      std::getline(words >> std::ws, path);
      std::optional<std::string> bytes = readFile(path);
      if (!bytes) {
        return std::nullopt;
      }
      tokens.back().certificates.push_back(std::move(*bytes));
    } else {
      return std::nullopt;
    }
  }
  return tokens;
}

}  // namespace tessaly
