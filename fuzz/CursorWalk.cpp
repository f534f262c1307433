#include "fuzz/CursorWalk.h"

#include <array>
#include <cstdint>
#include <vector>

#include "fuzz/Invariant.h"

namespace tessaly::fuzz {
namespace {

// A few attribute names of the check-item format, so the queries see realistic names;
// the probe name adds one cut from the input. Each query rescans the start tag, so more
// names would mostly cost executions per second, not coverage.
constexpr std::array<std::string_view, 5> kFormatAttributes = {"base", "type", "name", "value",
                                                               "md5"};

bool IsWhitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Where FindNext stops reading an element's name.
bool EndsElementName(char c) {
  if (IsWhitespace(c)) return true;
  for (const char stop : std::string_view("!\"'/;<=>?\\")) {
    if (c == stop) return true;
  }
  return false;
}

std::string_view ElementName(std::string_view document, const ElementRecord& record) {
  std::size_t end = static_cast<std::size_t>(record.start) + 1;
  while (end < document.size() && IsWhitespace(document[end])) ++end;
  const std::size_t begin = end;
  while (end < document.size() && !EndsElementName(document[end])) ++end;
  return document.substr(begin, end - begin);
}

// The reader's name rule, written out independently: the element's name must be a prefix
// of the searched name that ends there or at a space, '/', '=', '[' or ']'.
bool NameMatches(std::string_view searched, std::string_view elementName) {
  if (searched.empty()) return true;
  if (searched.front() == '/') return false;
  if (searched.substr(0, elementName.size()) != elementName) return false;
  if (searched.size() == elementName.size()) return true;
  const char after = searched[elementName.size()];
  return after == ' ' || after == '/' || after == '=' || after == '[' || after == ']';
}

// FNV-1a over the answer and its length, so that answers cannot run into each other.
void Mix(std::uint64_t& digest, std::string_view answer) {
  for (const char byte : answer) {
    digest = (digest ^ static_cast<unsigned char>(byte)) * 0x100000001B3ull;
  }
  digest = (digest ^ answer.size()) * 0x100000001B3ull;
}

void CheckQueries(const XmlReader& reader, std::string_view document,
                  const ElementRecord& record, std::string_view probeName,
                  std::uint64_t& digest) {
  Require(record.start >= 0, "element starts at a valid offset");
  const auto start = static_cast<std::size_t>(record.start);
  const std::uint32_t startTag = record.tagLengths & kMaxStartTagLength;
  const std::uint32_t endTag = record.tagLengths >> 22;
  Require(start < document.size() && document[start] == '<', "element starts at a '<'");
  Require(record.length <= document.size() - start, "element ends inside the document");
  Require(startTag + endTag <= record.length, "tags fit inside the element");

  // Decoding never lengthens a text: every reference is at least as long as the UTF-8
  // it becomes, so no value can be longer than the bytes it comes from.
  const std::string text = reader.Text();
  Mix(digest, text);
  Require(text.size() <= record.length - startTag - endTag, "text fits between the tags");
  if (record.firstChild != 0 || (record.flags & kFlagUnended) != 0 ||
      record.length == startTag) {
    Require(text.empty(), "elements with children, empty and unended elements have no text");
  }
  for (const std::string_view name : kFormatAttributes) {
    const std::string value = reader.AttrValue(name);
    Mix(digest, value);
    Require(value.size() <= document.size() - start,
            "attribute value comes from the document after the element's start");
  }
  const std::string probed = reader.AttrValue(probeName);
  Mix(digest, probed);
  Require(probed.size() <= document.size() - start,
          "probed attribute value comes from the document after the element's start");
}

// Counts FindNext(probeName) hits among the children of `parent` and compares them with
// the rule applied to the table; leaves the cursor before the first child again.
void CheckNameMatching(XmlReader& reader, std::string_view document,
                       const ElementTable& table, std::uint32_t parent,
                       std::string_view probeName) {
  std::size_t expected = 0;
  for (std::uint32_t child = table[parent].firstChild; child != 0;
       child = table[child].nextSibling) {
    if (NameMatches(probeName, ElementName(document, table[child]))) ++expected;
  }
  std::size_t found = 0;
  while (reader.FindNext(probeName)) ++found;
  Require(found == expected, "FindNext finds exactly the children whose names match");
  reader.Rewind();
}

struct Level {
  std::uint32_t parent;   // table index of the element whose children are walked
  std::uint32_t current;  // table index the cursor stands on; 0 = before the first child
};

}  // namespace

WalkResult WalkAndCheck(XmlReader& reader, std::string_view document,
                        std::string_view probeName) {
  const ElementTable& table = reader.Table();
  std::vector<Level> levels{{0, 0}};
  WalkResult result;
  reader.Rewind();
  CheckNameMatching(reader, document, table, 0, probeName);

  while (true) {
    Level& level = levels.back();
    const std::uint32_t next = level.current == 0 ? table[level.parent].firstChild
                                                  : table[level.current].nextSibling;
    if (reader.FindNext("")) {
      Require(next != 0, "cursor finds an element exactly where the table has one");
      Require(table[next].parent == level.parent, "a child's parent link names its parent");
      level.current = next;
      ++result.visited;
      CheckQueries(reader, document, table[next], probeName, result.digest);
      Require(reader.Descend(), "Descend succeeds on an element");
      CheckNameMatching(reader, document, table, next, probeName);
      levels.push_back({next, 0});
      continue;
    }
    Require(next == 0, "cursor finds no element where the table has none");
    if (levels.size() == 1) break;
    levels.pop_back();
    Require(reader.Ascend(), "Ascend succeeds below document level");
    // Descending straight after an Ascend returns to the child that was left, which was
    // past the last child, so nothing follows it.
    Require(reader.Descend(), "Descend after Ascend succeeds");
    Require(!reader.FindNext(""), "Descend after Ascend returns past the last child");
    Require(reader.Ascend(), "Ascend again succeeds");
  }
  Require(!reader.Ascend(), "Ascend fails at document level");
  reader.Rewind();
  Require(!reader.Descend(), "Descend fails after Rewind, with no current element");
  return result;
}

}  // namespace tessaly::fuzz
