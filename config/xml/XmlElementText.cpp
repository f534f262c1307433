#include "config/xml/XmlElementText.h"

#include <algorithm>

#include "config/xml/XmlCharClass.h"
#include "config/xml/XmlEntities.h"
#include "config/xml/XmlTokenizer.h"

namespace tessaly {

namespace {

constexpr std::string_view kCdataOpen = "<![CDATA[";
constexpr std::string_view kCdataClose = "]]>";

bool IsWhitespaceOnly(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char byte) { return xml_chars::Is(byte, xml_chars::kWhitespace); });
}

// The bytes between "<![CDATA[" and "]]>"; the tokenizer checks only "<![C", so a short
// section such as "<![C]]>" has none.
std::string_view CdataContent(std::string_view section) {
  if (section.size() < kCdataOpen.size() + kCdataClose.size()) return {};
  return section.substr(kCdataOpen.size(), section.size() - kCdataOpen.size() - kCdataClose.size());
}

}  // namespace

std::string ElementText(std::string_view content) {
  if (content.find('<') == std::string_view::npos) return DecodeXmlText(content);
  std::string text;
  XmlTokenizer tokenizer(content);
  for (XmlToken token = tokenizer.Next(); token.kind != XmlTokenKind::kEnd; token = tokenizer.Next()) {
    const std::string_view bytes = content.substr(token.start, token.length);
    if (token.kind == XmlTokenKind::kText && !IsWhitespaceOnly(bytes)) {
      text += DecodeXmlText(bytes);
    } else if (token.kind == XmlTokenKind::kCdataSection) {
      text += CdataContent(bytes);
    }
  }
  return text;
}

}  // namespace tessaly
