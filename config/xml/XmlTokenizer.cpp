#include "config/xml/XmlTokenizer.h"

#include <cstring>

#include "config/xml/XmlCharClass.h"

namespace tessaly {

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;
constexpr std::string_view kUnterminatedNote = "unterminated_tag_syntax";

bool IsDeclarationLetter(char byte) { return byte == 'A' || byte == 'E' || byte == 'N'; }

// Start-tag scanner states. Quotes protect a '>' only where a value may start, right after
// an '=': a stray quote elsewhere must not swallow the rest of the document.
enum class TagState : std::uint8_t { kBetweenValues, kAfterEquals, kUnquotedValue };

}  // namespace

XmlToken XmlTokenizer::Next() {
  const std::size_t size = text_.size();
  if (position_ >= size) return XmlToken{XmlTokenKind::kEnd, size, 0, false, {}, {}};
  const std::size_t start = position_;
  if (text_[start] == '<') return Markup(start);
  const void* bracket = std::memchr(text_.data() + start + 1, '<', size - start - 1);
  const std::size_t end =
      bracket == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(bracket) - text_.data());
  return Emit(XmlTokenKind::kText, start, end);
}

XmlToken XmlTokenizer::Markup(std::size_t start) {
  if (start + 1 == text_.size()) return Unterminated(start, "tag");
  const char kind = text_[start + 1];
  if (xml_chars::Is(kind, xml_chars::kStartTagFirst)) return StartTag(start);
  switch (kind) {
    case '/':
      return Delimited(XmlTokenKind::kEndTag, start, start + 2, ">", "end_tag");
    case '?':
      return Delimited(XmlTokenKind::kProcessingInstruction, start, start + 2, "?>",
                       "processing_instruction");
    case '!':
      return Exclamation(start);
    default:
      return Error(start, "first_tag_syntax", start + 1);
  }
}

XmlToken XmlTokenizer::Exclamation(std::size_t start) {
  const std::size_t size = text_.size();
  if (start + 2 == size) return Unterminated(start, "tag");
  switch (text_[start + 2]) {
    case '-':
      if (start + 3 == size) return Unterminated(start, "tag");
      if (text_[start + 3] != '-') return Error(start, "comment_tag_syntax", start + 3);
      return Delimited(XmlTokenKind::kComment, start, start + 4, "-->", "comment");
    case '[':
      // Only the 'C' is checked; the rest of "CDATA[" is taken on trust.
      if (start + 3 == size) return Unterminated(start, "tag");
      if (text_[start + 3] != 'C') return Error(start, "cdata_section_syntax", start + 3);
      return Delimited(XmlTokenKind::kCdataSection, start, start + 4, "]]>", "cdata_section");
    case 'D':
      return DocumentType(start);
    default:
      return Error(start, "exclamation_tag_syntax", start + 2);
  }
}

XmlToken XmlTokenizer::StartTag(std::size_t start) {
  const char* const text = text_.data();
  const std::size_t size = text_.size();
  std::size_t at = start + 2;  // the first name byte is already known
  std::size_t valueStart = 0;
  TagState state = TagState::kBetweenValues;
  for (;;) {
    switch (state) {
      case TagState::kBetweenValues:
        while (at < size && !xml_chars::Is(text[at], xml_chars::kEqualsOrClose)) ++at;
        if (at == size) return Unterminated(start, "start_tag");
        if (text[at] == '>') {
          XmlToken token = Emit(XmlTokenKind::kStartTag, start, at + 1);
          token.selfClosing = text[at - 1] == '/';
          return token;
        }
        ++at;
        state = TagState::kAfterEquals;
        break;
      case TagState::kAfterEquals:
        // Whitespace and further '=' bytes still wait for the value.
        while (at < size && (xml_chars::Is(text[at], xml_chars::kWhitespace) || text[at] == '=')) ++at;
        if (at == size) return Unterminated(start, "start_tag");
        if (xml_chars::Is(text[at], xml_chars::kQuote)) {
          const void* close = std::memchr(text + at + 1, text[at], size - at - 1);
          if (close == nullptr) return Unterminated(start, "start_tag");
          at = static_cast<std::size_t>(static_cast<const char*>(close) - text) + 1;
          state = TagState::kBetweenValues;
        } else if (text[at] == '>') {
          return Emit(XmlTokenKind::kStartTag, start, at + 1);
        } else {
          valueStart = at;
          state = TagState::kUnquotedValue;
        }
        break;
      case TagState::kUnquotedValue:
        while (at < size && !xml_chars::Is(text[at], xml_chars::kUnquotedValueEnd)) ++at;
        if (at == size) return Unterminated(start, "start_tag");
        if (text[at] == '>') {
          XmlToken token = Emit(XmlTokenKind::kStartTag, start, at + 1);
          // In "<a b=1/>" the '/' is part of the value; it closes the element only after
          // whitespace or a quote, as in "<a b= />".
          token.selfClosing = at - 1 >= valueStart && text[at - 1] == '/' &&
                              xml_chars::Is(text[at - 2], xml_chars::kWhitespace | xml_chars::kQuote);
          return token;
        }
        state = TagState::kBetweenValues;
        break;
    }
  }
}

XmlToken XmlTokenizer::DocumentType(std::size_t start) {
  const std::size_t size = text_.size();
  std::size_t at = start + 3;
  for (;;) {
    const std::size_t bracket = text_.find_first_of("<>", at);
    if (bracket == kNotFound) break;
    if (text_[bracket] == '>') return Emit(XmlTokenKind::kDocumentType, start, bracket + 1);
    if (bracket + 1 == size) break;
    const char kind = text_[bracket + 1];
    std::size_t end = kNotFound;
    if (kind == '?') {
      end = text_.find("?>", bracket + 2);
      if (end != kNotFound) end += 2;
    } else if (kind != '!') {
      end = bracket + 1;  // a lone '<' is ordinary content here
    } else if (bracket + 2 == size) {
      break;
    } else if (text_[bracket + 2] == '-') {
      if (bracket + 3 == size) break;
      if (text_[bracket + 3] != '-') return Error(start, "comment_tag_syntax", bracket + 3);
      end = text_.find("-->", bracket + 4);
      if (end != kNotFound) end += 3;
    } else if (IsDeclarationLetter(text_[bracket + 2])) {
      end = NestedDeclarationEnd(bracket + 3);
      if (end != kNotFound) end += 1;
    } else {
      return Error(start, "doctype_tag_syntax", bracket + 2);
    }
    if (end == kNotFound) break;
    at = end;
  }
  return Unterminated(start, "document_type");
}

std::size_t XmlTokenizer::NestedDeclarationEnd(std::size_t from) const {
  std::size_t at = from;
  for (;;) {
    const std::size_t stop = text_.find_first_of("\"'>", at);
    if (stop == kNotFound || text_[stop] == '>') return stop;
    const std::size_t close = text_.find(text_[stop], stop + 1);
    if (close == kNotFound) return kNotFound;
    at = close + 1;
  }
}

XmlToken XmlTokenizer::Delimited(XmlTokenKind kind, std::size_t start, std::size_t searchFrom,
                                 std::string_view terminator, std::string_view unterminatedType) {
  const std::size_t found = text_.find(terminator, searchFrom);
  if (found == kNotFound) return Unterminated(start, unterminatedType);
  return Emit(kind, start, found + terminator.size());
}

XmlToken XmlTokenizer::Error(std::size_t start, std::string_view note, std::size_t scanFrom) {
  const std::size_t stop = text_.find_first_of("<>", scanFrom);
  if (stop == kNotFound) return Unterminated(start, "tag");
  XmlToken token = Emit(XmlTokenKind::kError, start, text_[stop] == '>' ? stop + 1 : stop);
  token.note = note;
  return token;
}

XmlToken XmlTokenizer::Unterminated(std::size_t start, std::string_view type) {
  XmlToken token = Emit(XmlTokenKind::kError, start, text_.size());
  token.note = kUnterminatedNote;
  token.unterminatedType = type;
  return token;
}

XmlToken XmlTokenizer::Emit(XmlTokenKind kind, std::size_t start, std::size_t end) {
  position_ = end;
  return XmlToken{kind, start, end - start, false, {}, {}};
}

}  // namespace tessaly
