#include "config/xml/OpenElementStack.h"

#include <algorithm>

namespace tessaly {

namespace {

// Up to this depth a plain walk down the stack is cheaper than keeping an index.
constexpr std::size_t kLinearSearchDepth = 32;

}  // namespace

OpenElementStack::OpenElementStack(std::string_view document) : document_(document) {
  entries_.reserve(64);
  entries_.push_back(Entry{0, 0, 0, 0});
}

std::string_view OpenElementStack::NameAt(std::size_t level) const {
  const Entry& entry = entries_[level];
  return document_.substr(entry.nameOffset, entry.nameLength);
}

void OpenElementStack::Push(std::uint32_t record, std::size_t nameOffset, std::size_t nameLength) {
  // The reader refuses documents of 2 GiB and more, so offsets fit 32 bits.
  entries_.push_back(Entry{record, static_cast<std::uint32_t>(nameOffset),
                           static_cast<std::uint32_t>(nameLength), 0});
}

std::size_t OpenElementStack::FindInnermost(std::string_view name) {
  const std::size_t top = Depth();
  if (top == 0) return 0;
  if (NameAt(top) == name) return top;
  if (top <= kLinearSearchDepth) {
    for (std::size_t level = top - 1; level > 0; --level) {
      if (NameAt(level) == name) return level;
    }
    return 0;
  }
  IndexAllLevels();
  const auto found = innermostByName_.find(name);
  return found == innermostByName_.end() ? 0 : found->second;
}

void OpenElementStack::IndexAllLevels() {
  for (std::size_t level = indexedLevels_ + 1; level <= Depth(); ++level) {
    std::uint32_t& innermost = innermostByName_[NameAt(level)];
    entries_[level].sameNameBelow = innermost;
    innermost = static_cast<std::uint32_t>(level);
  }
  indexedLevels_ = Depth();
}

void OpenElementStack::PopAbove(std::size_t level) {
  // Closing from the top down, each indexed level is the innermost of its name when it goes.
  for (std::size_t closing = indexedLevels_; closing > level; --closing) {
    const Entry& entry = entries_[closing];
    if (entry.sameNameBelow == 0) {
      innermostByName_.erase(NameAt(closing));
    } else {
      innermostByName_[NameAt(closing)] = entry.sameNameBelow;
    }
  }
  indexedLevels_ = std::min(indexedLevels_, level);
  entries_.resize(level + 1);
}

}  // namespace tessaly
