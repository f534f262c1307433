#include "fuzz/NotesCheck.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "config/xml/XmlReader.h"
#include "fuzz/Invariant.h"

namespace tessaly::fuzz {
namespace {

// The notes a parse can make, and after them the ones this reader adds when a document
// outgrows the record fields (how to treat those documents is the reader's own choice).
constexpr std::array<std::string_view, 14> kNoteNames = {
    "first_tag_syntax",        "exclamation_tag_syntax", "doctype_tag_syntax",
    "comment_tag_syntax",      "cdata_section_syntax",   "unterminated_tag_syntax",
    "lone_end_tag",            "unended_start_tag",      "no_root_element",
    "root_has_sibling",        "start_tag_too_long",     "end_tag_too_long",
    "element_too_deep",        "document_too_long"};

// A note's offset attribute, when it has one, is a decimal offset within the document.
void CheckOffset(const std::string& offset, std::size_t documentSize) {
  if (offset.empty()) return;
  Require(offset.size() <= 10, "note offset has at most ten digits");
  Require(std::all_of(offset.begin(), offset.end(),
                      [](char c) { return c >= '0' && c <= '9'; }),
          "note offset is decimal");
  Require(std::stoull(offset) <= documentSize, "note offset lies within the document");
}

}  // namespace

void CheckNotes(const std::string& notes, std::size_t documentSize) {
  if (notes.empty()) return;
  // Attribute values escape '<', so every '<' opens a note; the last one must have been
  // appended while the text was still within the limit.
  Require(notes.front() == '<', "notes start with a note");
  Require(notes.rfind('<') <= 999, "no note appended after the notes passed 999 bytes");

  XmlReader reader;
  Require(reader.Parse("<notes>" + notes + "</notes>"), "wrapped notes are sound markup");
  Require(reader.FindNext("notes") && reader.Descend(), "wrapped notes have their root");
  std::size_t count = 0;
  for (const std::string_view name : kNoteNames) {
    reader.Rewind();
    while (reader.FindNext(name)) {
      ++count;
      CheckOffset(reader.AttrValue("offset"), documentSize);
      CheckOffset(reader.AttrValue("offset2"), documentSize);
    }
  }
  Require(count == reader.ElementCount() - 1, "every note has a known name");
}

}  // namespace tessaly::fuzz
