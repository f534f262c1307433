#pragma once

#include <string_view>
#include <vector>

namespace tessaly {

// Readers of one start tag, from its '<' to its '>'.

// Whether `searched` asks for the element of `startTag`. The element's name runs from
// after the '<' and any whitespace up to the first of whitespace ! " ' / ; < = > ? or
// backslash; it must be all of `searched`, or be followed in it by a space, '/', '=', '['
// or ']'.
bool StartTagNameMatches(std::string_view startTag, std::string_view searched);

// One attribute as it stands in the tag, value undecoded. An attribute without '=' has its
// own name as value, as HTML-style flags like <a checked> do.
struct XmlAttribute {
  std::string_view name;
  std::string_view value;
};

// Replaces `attributes` with those of `startTag`, in document order. A name may repeat;
// the first one counts.
void ReadAttributes(std::string_view startTag, std::vector<XmlAttribute>& attributes);

}  // namespace tessaly
