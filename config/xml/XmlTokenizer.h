#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessaly {

enum class XmlTokenKind : std::uint8_t {
  kStartTag,
  kEndTag,
  kProcessingInstruction,
  kComment,
  kCdataSection,
  kDocumentType,
  kText,   // character data up to the next '<'; may be whitespace only
  kError,  // bad or unterminated markup
  kEnd,
};

struct XmlToken {
  XmlTokenKind kind = XmlTokenKind::kEnd;
  std::size_t start = 0;
  std::size_t length = 0;
  // Start tags: closed by "/>" (an element without content).
  bool selfClosing = false;
  // Error tokens: the note that describes them, and for "unterminated_tag_syntax" the kind
  // of token the text ended in.
  std::string_view note;
  std::string_view unterminatedType;
};

// Splits a text into markup and character-data tokens, one per call. It never fails:
// bad markup comes back as an error token that runs to the next '>' (or stops before the
// next '<'), and markup cut off by the end of the text as an unterminated error token
// reaching to the end. Every token but the end token is at least one byte long, and the
// tokens cover the text without gaps, so a caller's loop always ends.
class XmlTokenizer {
 public:
  explicit XmlTokenizer(std::string_view text) : text_(text) {}

  XmlToken Next();

 private:
  XmlToken Markup(std::size_t start);
  XmlToken Exclamation(std::size_t start);
  XmlToken StartTag(std::size_t start);
  XmlToken DocumentType(std::size_t start);
  // A token that ends with `terminator`, searched from `searchFrom`.
  XmlToken Delimited(XmlTokenKind kind, std::size_t start, std::size_t searchFrom,
                     std::string_view terminator, std::string_view unterminatedType);
  XmlToken Error(std::size_t start, std::string_view note, std::size_t scanFrom);
  XmlToken Unterminated(std::size_t start, std::string_view type);
  XmlToken Emit(XmlTokenKind kind, std::size_t start, std::size_t end);

  // Offset of the '>' that closes a declaration nested in a document type, or npos.
  std::size_t NestedDeclarationEnd(std::size_t from) const;

  std::string_view text_;
  std::size_t position_ = 0;
};

}  // namespace tessaly
