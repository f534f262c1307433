#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/xml/ElementTable.h"
#include "config/xml/XmlStartTag.h"

namespace tessaly {

// A lenient, non-validating reader for the check-item document.
//
// Guarantees:
// - Parse never fails and never stops on bad markup: it always builds the element table,
//   collects what it found wrong as notes (itself a small markup text; notes stop once it
//   passes 999 bytes) and answers one verdict. A document is sound when it has exactly one
//   top-level element and no bad markup, stray end tag or missing end tag anywhere; text,
//   comments, processing instructions and a document type around the root do not matter.
// - The document is kept as given; the table holds 32-byte records of offsets and links
//   into it, never copies of names, attribute values or text. Values are decoded (entity
//   and character references to UTF-8) only when asked for.
// - Bytes are bytes: no encoding is detected or converted, names compare case-sensitively.
// - Parse, the cursor and the queries take time linear in what they read, whatever the
//   input: no recursion, no quadratic repair of deeply nested broken documents.
//
// Broken documents are repaired, not refused: an element whose end tag is missing becomes
// an "unended" element holding its start tag alone, and what it contained follows it as
// its siblings. Its 0x00200000 flag (bad markup inside) is passed on to its parent. The
// depth in a record is the nesting at which the start tag was read and stays so when an
// element is moved up.
//
// What the record fields cannot hold is judged unsound instead of stored truncated, with a
// note whose offset is where the trouble starts:
// - a start tag over 4,194,303 bytes ("start_tag_too_long") or an element that would sit
//   deeper than 65,535 levels ("element_too_deep") is left out of the table, like bad
//   markup, so its end tag later counts as a stray one;
// - an end tag over 1,023 bytes ("end_tag_too_long") is ignored like bad markup;
// - a text of 2 GiB or more ("document_too_long"), as offsets are signed 32-bit, gets no
//   table at all.
//
// A reader belongs to one thread at a time; the queries are const but cache the
// attributes of the element last asked about.
class XmlReader {
 public:
  XmlReader();

  // Replaces the document, notes, table and cursor; answers the verdict. Afterwards the
  // cursor stands before the first element at document level.
  bool Parse(std::string document);

  // Moves to the next element at the current level whose name matches; false (cursor
  // unchanged) when there is none. An empty name matches any element.
  bool FindNext(std::string_view name);
  // Makes the current element the parent; false when the cursor is on no element.
  bool Descend();
  // Returns to the parent element; false at document level.
  bool Ascend();
  // Puts the cursor before the first element of the current level.
  void Rewind();

  // Decoded value of an attribute of the current element; "" when absent or off-element.
  std::string AttrValue(std::string_view name) const;
  // Decoded text content of the current element: character data decoded and CDATA
  // sections raw, whitespace-only runs between markup, comments and processing
  // instructions left out. "" for elements with children, empty and unended elements,
  // and off-element.
  std::string Text() const;
  // The notes of the last Parse.
  const std::string& Notes() const { return notes_; }

  // For tests and benchmarks: the element table as built by the last Parse.
  const ElementTable& Table() const { return table_; }
  // Number of elements the last Parse created (record 0 not counted).
  std::size_t ElementCount() const;

 private:
  std::string_view StartTagOf(std::uint32_t element) const;

  std::string document_;
  std::string notes_;
  ElementTable table_;
  std::uint32_t nextFree_ = 1;
  std::uint32_t parent_ = 0;
  std::uint32_t current_ = 0;
  std::uint32_t child_ = 0;
  // The attributes of one element, split from its start tag when first asked for.
  mutable std::vector<XmlAttribute> attributes_;
  mutable std::uint32_t attributesElement_ = 0;
  mutable const char* attributesDocument_ = nullptr;
};

}  // namespace tessaly
