#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// One finding of a parse. The notes text is itself markup, one empty element per note:
// <name detail="..." offset="..." offset2="..."/>, attributes present only when set.
struct XmlNote {
  std::string_view name;
  std::string_view detailName;  // "type" or "tagname"; empty when the note has no detail
  std::string_view detailValue;
  std::optional<std::size_t> offset;
  std::optional<std::size_t> offset2;
};

// Once the notes pass this many bytes, later notes are dropped: the first findings explain
// a broken document, and a hostile one must not grow the text without bound.
inline constexpr std::size_t kNotesLimit = 999;

// Appends `note` to `notes` unless the text is already over the limit.
void AppendNote(std::string& notes, const XmlNote& note);

}  // namespace tessaly
