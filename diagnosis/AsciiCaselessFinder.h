#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly {

// The letter case a regular expression ignores in the "C" locale: A-Z and a-z only; every
// other byte, UTF-8 included, stands for itself.
constexpr char FoldAsciiCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Finds a fixed text in a longer one, ignoring ASCII letter case, with the skips of
// Boyer-Moore-Horspool: a hosts file is searched for a host name that occurs on a tiny
// share of its lines, so most bytes are never looked at.
class AsciiCaselessFinder {
 public:
  explicit AsciiCaselessFinder(std::string_view needle);

  // The first position at or after `from` where the needle occurs; npos when none does. An
  // empty needle occurs everywhere, also at the end.
  std::size_t Find(std::string_view haystack, std::size_t from) const;
  // Whether the needle occurs at exactly `at`.
  bool OccursAt(std::string_view haystack, std::size_t at) const;
  std::size_t size() const { return folded_.size(); }

 private:
  std::string folded_;
  std::array<std::size_t, 256> skip_{};  // by the folded byte under the needle's last byte
};

}  // namespace tessaly
