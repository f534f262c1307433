#include "config/xml/XmlReader.h"

#include "config/xml/ElementFields.h"
#include "config/xml/XmlElementText.h"
#include "config/xml/XmlEntities.h"
#include "config/xml/XmlNotes.h"
#include "config/xml/XmlStartTag.h"
#include "config/xml/XmlTreeBuilder.h"

namespace tessaly {

namespace {

// Offsets are stored as signed 32-bit numbers.
constexpr std::size_t kMaxDocumentLength = 0x7FFFFFFF;
// The table starts with one record per this many document bytes, plus a few.
constexpr std::size_t kBytesPerExpectedElement = 64;
constexpr std::size_t kSpareRecords = 8;

}  // namespace

XmlReader::XmlReader() {
  table_.Reserve(kSpareRecords);
  table_[0] = ElementRecord{};
}

bool XmlReader::Parse(std::string document) {
  document_ = std::move(document);
  notes_.clear();
  attributesElement_ = 0;
  parent_ = current_ = child_ = 0;
  nextFree_ = 1;
  const bool tooLong = document_.size() > kMaxDocumentLength;
  table_.Reserve(tooLong ? kSpareRecords : document_.size() / kBytesPerExpectedElement + kSpareRecords);
  table_[0] = ElementRecord{};
  if (tooLong) {
    table_[0].flags = kFlagDocumentUnsound;
    AppendNote(notes_, XmlNote{"document_too_long", {}, {}, std::nullopt, std::nullopt});
    return false;
  }
  if (document_.empty()) return false;

  nextFree_ = XmlTreeBuilder(document_, table_, notes_).Build();
  ElementRecord& documentRecord = table_[0];
  documentRecord.length = static_cast<std::uint32_t>(document_.size());
  const std::uint32_t root = documentRecord.firstChild;
  if (root == 0) {
    AppendNote(notes_, XmlNote{"no_root_element", {}, {}, std::nullopt, std::nullopt});
  } else if (table_[root].nextSibling != 0) {
    AppendNote(notes_, XmlNote{"root_has_sibling", {}, {}, std::nullopt, std::nullopt});
  }
  parent_ = current_ = child_ = 0;
  return (documentRecord.flags & kFlagDocumentUnsound) == 0 && root != 0 && table_[root].nextSibling == 0;
}

bool XmlReader::FindNext(std::string_view name) {
  if (!name.empty() && name.front() == '/') return false;
  std::uint32_t candidate = current_ != 0 ? table_[current_].nextSibling : table_[parent_].firstChild;
  for (; candidate != 0; candidate = table_[candidate].nextSibling) {
    if (name.empty() || StartTagNameMatches(StartTagOf(candidate), name)) {
      current_ = candidate;
      parent_ = table_[candidate].parent;
      child_ = 0;
      return true;
    }
  }
  return false;
}

bool XmlReader::Descend() {
  if (current_ == 0) return false;
  parent_ = current_;
  current_ = child_;
  child_ = 0;
  return true;
}

bool XmlReader::Ascend() {
  if (parent_ == 0) return false;
  child_ = current_;
  current_ = parent_;
  parent_ = table_[parent_].parent;
  return true;
}

void XmlReader::Rewind() {
  current_ = 0;
  child_ = 0;
}

std::string XmlReader::AttrValue(std::string_view name) const {
  if (current_ == 0) return {};
  // Callers read several attributes of one element in a row; its tag is split once.
  // The views point into the document, so a reader that has been moved (and with it,
  // perhaps, the document's bytes) splits the tag again.
  if (attributesElement_ != current_ || attributesDocument_ != document_.data()) {
    ReadAttributes(StartTagOf(current_), attributes_);
    attributesElement_ = current_;
    attributesDocument_ = document_.data();
  }
  for (const XmlAttribute& attribute : attributes_) {
    if (attribute.name == name) return DecodeXmlText(attribute.value);
  }
  return {};
}

std::string XmlReader::Text() const {
  if (current_ == 0) return {};
  const ElementRecord& record = table_[current_];
  const std::uint32_t endTagLength = EndTagLength(record);
  // Elements with children, empty and unended elements have no text of their own.
  if (record.firstChild != 0 || endTagLength == 0) return {};
  const std::size_t contentStart = static_cast<std::size_t>(record.start) + StartTagLength(record);
  const std::size_t contentEnd = static_cast<std::size_t>(record.start) + record.length - endTagLength;
  return ElementText(std::string_view(document_).substr(contentStart, contentEnd - contentStart));
}

std::size_t XmlReader::ElementCount() const { return nextFree_ - 1; }

std::string_view XmlReader::StartTagOf(std::uint32_t element) const {
  const ElementRecord& record = table_[element];
  return std::string_view(document_).substr(static_cast<std::size_t>(record.start),
                                            StartTagLength(record));
}

}  // namespace tessaly
