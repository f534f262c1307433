#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/xml/ElementTable.h"
#include "config/xml/OpenElementStack.h"
#include "config/xml/XmlNotes.h"
#include "config/xml/XmlTokenizer.h"

namespace tessaly {

// Builds the element table of one document from its tokens. Record 0 must be cleared and
// the table reserved before Build; the builder marks record 0 unsound when it meets bad
// markup, a stray end tag or an unended element, and writes its notes.
class XmlTreeBuilder {
 public:
  XmlTreeBuilder(std::string_view document, ElementTable& table, std::string& notes);

  // Reads the whole document; answers the index the next element would have got.
  std::uint32_t Build();

 private:
  void OnStartTag(const XmlToken& token);
  void OnEndTag(const XmlToken& token);
  // Bad markup directly inside the innermost open element.
  void OnBadMarkup(const XmlNote& note);
  void AppendChild(std::uint32_t parent, std::uint32_t child);
  void Complete(std::size_t level, const XmlToken& endTag);
  // Turns every element above `level` into an unended one: each loses its content, which
  // moves up behind it as following siblings, so that the element at `level` takes all of
  // them as children. `endOffset` is where the unending was discovered.
  void UnendAbove(std::size_t level, std::size_t endOffset);
  void RelinkUnendedChildren(std::size_t level);
  void MarkUnsound();

  std::string_view document_;
  ElementTable& table_;
  std::string& notes_;
  OpenElementStack open_;
  std::uint32_t nextFree_ = 1;
};

}  // namespace tessaly
