#include "diagnosis/AsciiCaselessFinder.h"

#include <algorithm>
#include <iterator>

namespace tessaly {
namespace {

unsigned char Folded(char c) { return static_cast<unsigned char>(FoldAsciiCase(c)); }

}  // namespace

AsciiCaselessFinder::AsciiCaselessFinder(std::string_view needle) {
  folded_.reserve(needle.size());
  std::ranges::transform(needle, std::back_inserter(folded_), FoldAsciiCase);
  skip_.fill(std::max<std::size_t>(folded_.size(), 1));
  for (std::size_t i = 0; i + 1 < folded_.size(); ++i) {
    skip_[static_cast<unsigned char>(folded_[i])] = folded_.size() - 1 - i;
  }
}

bool AsciiCaselessFinder::OccursAt(std::string_view haystack, std::size_t at) const {
  if (at > haystack.size() || haystack.size() - at < folded_.size()) {
    return false;
  }
  for (std::size_t i = folded_.size(); i-- > 0;) {
    if (FoldAsciiCase(haystack[at + i]) != folded_[i]) {
      return false;
    }
  }
  return true;
}

std::size_t AsciiCaselessFinder::Find(std::string_view haystack, std::size_t from) const {
  const std::size_t length = folded_.size();
  if (length == 0) {
    return from <= haystack.size() ? from : std::string_view::npos;
  }
  const unsigned char last = static_cast<unsigned char>(folded_.back());
  for (std::size_t at = from; at <= haystack.size() && haystack.size() - at >= length;) {
    const unsigned char under = Folded(haystack[at + length - 1]);
    if (under == last && OccursAt(haystack, at)) {
      return at;
    }
    at += skip_[under];
  }
  return std::string_view::npos;
}

}  // namespace tessaly
