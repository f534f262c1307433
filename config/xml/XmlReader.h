#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "config/xml/ElementTable.h"

namespace tessaly {

// A lenient, non-validating reader for the check-item document.
//
// Guarantees:
// - Parse never fails and never stops on bad markup: it always builds the element table,
//   collects what it found wrong as notes (itself a small markup text, capped near 1000
//   bytes) and answers one verdict, sound or unsound.
// - The document is kept as given; the table holds 32-byte records of offsets and links
//   into it, never copies of names, attribute values or text. Values are decoded (entity
//   and character references to UTF-8) only when asked for.
// - Bytes are bytes: no encoding is detected or converted, names compare case-sensitively.
// - Documents whose tags or nesting do not fit the record fields (a start tag over
//   4,194,303 bytes, an end tag over 1,023 bytes, more than 65,535 levels, or a text of
//   2 GiB or more) are judged unsound instead of storing truncated fields.
//
// A reader belongs to one thread at a time.
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
  // Decoded text content of the current element (see the source for the rules).
  std::string Text() const;
  // The notes of the last Parse.
  const std::string& Notes() const { return notes_; }

  // For tests and benchmarks: the element table as built by the last Parse.
  const ElementTable& Table() const { return table_; }
  // Number of elements the last Parse created (record 0 not counted).
  std::size_t ElementCount() const;

 private:
  std::string document_;
  std::string notes_;
  ElementTable table_;
  std::uint32_t nextFree_ = 1;
  std::uint32_t parent_ = 0;
  std::uint32_t current_ = 0;
  std::uint32_t child_ = 0;
  // The remaining private members and helpers are the implementation's business.
};

}  // namespace tessaly
