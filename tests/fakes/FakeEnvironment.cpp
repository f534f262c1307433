#include "tests/fakes/FakeEnvironment.h"

#include <algorithm>

namespace tessaly {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool LessIgnoringAsciiCase::operator()(std::string_view a, std::string_view b) const {
  return std::ranges::lexicographical_compare(
      a, b, [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
}

std::string FakeEnvironment::ExpandAnsi(std::string_view text) const {
  if (fail) {
    return {};
  }
  std::string expanded;
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t open = text.find('%', position);
    const std::size_t close =
        open == std::string_view::npos ? std::string_view::npos : text.find('%', open + 1);
    if (close == std::string_view::npos) {
      expanded.append(text.substr(position));
      break;
    }
    expanded.append(text.substr(position, open - position));
    const auto variable = variables.find(text.substr(open + 1, close - open - 1));
    if (variable != variables.end()) {
      expanded.append(variable->second);
      position = close + 1;
    } else {
      expanded.append(text.substr(open, close - open));
      position = close;
    }
  }
  return expanded;
}

}  // namespace tessaly
