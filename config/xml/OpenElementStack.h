#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessaly {

// The elements a parse has opened and not yet closed, innermost on top. Level 0 stands for
// the document itself; level d holds the open element at depth d - 1. Names are kept as
// offsets into the document, which stays unchanged while the parse runs.
//
// An end tag is matched against the innermost open element first, which is almost always
// the one it closes. Only when it is not, and the stack is deep, does the stack build (and
// from then on keep) an index by name, so that a deep document full of stray end tags
// cannot make every one of them walk the whole stack.
class OpenElementStack {
 public:
  explicit OpenElementStack(std::string_view document);

  // Number of open elements: the depth an element opened now would get.
  std::size_t Depth() const { return entries_.size() - 1; }
  std::uint32_t RecordAt(std::size_t level) const { return entries_[level].record; }
  std::uint32_t InnermostRecord() const { return entries_.back().record; }
  std::string_view NameAt(std::size_t level) const;

  void Push(std::uint32_t record, std::size_t nameOffset, std::size_t nameLength);
  // The level of the innermost open element called `name`; 0 when none is.
  std::size_t FindInnermost(std::string_view name);
  // Closes every element above `level`.
  void PopAbove(std::size_t level);

 private:
  struct Entry {
    std::uint32_t record;
    std::uint32_t nameOffset;
    std::uint32_t nameLength;
    std::uint32_t sameNameBelow;  // once indexed: the next level down with this name, or 0
  };

  void IndexAllLevels();

  std::string_view document_;
  std::vector<Entry> entries_;
  std::unordered_map<std::string_view, std::uint32_t> innermostByName_;
  std::size_t indexedLevels_ = 0;  // levels 1 .. indexedLevels_ are in innermostByName_
};

}  // namespace tessaly
