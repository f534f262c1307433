#include "config/xml/XmlStartTag.h"

#include "config/xml/XmlCharClass.h"

namespace tessaly {

namespace {

struct Word {
  std::string_view text;
  bool quoted = false;
};

// Splits a start tag into words: quoted strings, bare runs, and single bytes such as '='.
class TagWords {
 public:
  explicit TagWords(std::string_view tag) : tag_(tag) {}

  // Reads the next word; false at the end of the tag. A word right after an '=' is a
  // value, which runs up to whitespace or '>' and so may hold '/', '=' and '?'.
  bool Next(bool afterEquals, Word& word) {
    while (at_ < tag_.size() && xml_chars::Is(tag_[at_], xml_chars::kWhitespace)) ++at_;
    if (at_ == tag_.size()) return false;
    const char first = tag_[at_];
    if (xml_chars::Is(first, xml_chars::kQuote)) {
      const std::size_t close = tag_.find(first, at_ + 1);
      const std::size_t end = close == std::string_view::npos ? tag_.size() : close;
      word = Word{tag_.substr(at_ + 1, end - at_ - 1), true};
      at_ = close == std::string_view::npos ? tag_.size() : close + 1;
      return true;
    }
    const std::size_t start = at_;
    const std::uint8_t stops = afterEquals ? xml_chars::kUnquotedValueEnd : xml_chars::kAttributeWordEnd;
    while (at_ < tag_.size() && !xml_chars::Is(tag_[at_], stops)) ++at_;
    // After '=' an empty run is an empty value (as in "<a b=>"); elsewhere a delimiter
    // stands as a word of its own.
    if (at_ == start && !afterEquals) ++at_;
    word = Word{tag_.substr(start, at_ - start), false};
    return true;
  }

 private:
  std::string_view tag_;
  std::size_t at_ = 1;  // after the '<'
};

bool EndsAttributes(const Word& word) {
  return !word.quoted && !word.text.empty() &&
         (word.text.front() == '>' || word.text.front() == '/' || word.text.front() == '?');
}

bool IsEquals(const Word& word) { return !word.quoted && word.text == "="; }

}  // namespace

bool StartTagNameMatches(std::string_view startTag, std::string_view searched) {
  std::size_t nameStart = 1;
  while (nameStart < startTag.size() && xml_chars::Is(startTag[nameStart], xml_chars::kWhitespace)) {
    ++nameStart;
  }
  // One pass comparing as the name is read: most candidates differ in their first bytes.
  std::size_t length = 0;
  for (; nameStart + length < startTag.size(); ++length) {
    const char byte = startTag[nameStart + length];
    if (xml_chars::Is(byte, xml_chars::kElementNameEnd)) break;
    if (length == searched.size() || searched[length] != byte) return false;
  }
  if (length == searched.size()) return true;
  const char next = searched[length];
  return next == ' ' || next == '/' || next == '=' || next == '[' || next == ']';
}

void ReadAttributes(std::string_view startTag, std::vector<XmlAttribute>& attributes) {
  attributes.clear();
  TagWords words(startTag);
  Word word;
  if (!words.Next(false, word)) return;  // the element name
  // A name is added when it is read, valueless; an '=' and a value give it its value.
  // An '=' with no name waiting (after a value, or first in the tag) leads nowhere.
  bool nameWaits = false;
  bool afterEquals = false;
  while (words.Next(afterEquals, word)) {
    if (afterEquals) {
      if (nameWaits) attributes.back().value = word.text;
      nameWaits = false;
      afterEquals = false;
    } else if (IsEquals(word)) {
      afterEquals = true;
    } else if (EndsAttributes(word)) {
      return;
    } else {
      attributes.push_back(XmlAttribute{word.text, word.text});
      nameWaits = true;
    }
  }
}

}  // namespace tessaly
