#include "config/xml/XmlTreeBuilder.h"

#include "config/xml/ElementFields.h"
#include "config/xml/XmlCharClass.h"

namespace tessaly {

namespace {

// The name of a start or end tag: from `nameStart` up to whitespace, '/' or '>'.
std::size_t TagNameLength(std::string_view document, std::size_t nameStart, std::size_t tagEnd) {
  std::size_t at = nameStart;
  while (at < tagEnd && !xml_chars::Is(document[at], xml_chars::kTagNameEnd)) ++at;
  return at - nameStart;
}

}  // namespace

XmlTreeBuilder::XmlTreeBuilder(std::string_view document, ElementTable& table, std::string& notes)
    : document_(document), table_(table), notes_(notes), open_(document) {}

std::uint32_t XmlTreeBuilder::Build() {
  XmlTokenizer tokenizer(document_);
  for (;;) {
    const XmlToken token = tokenizer.Next();
    switch (token.kind) {
      case XmlTokenKind::kStartTag:
        OnStartTag(token);
        break;
      case XmlTokenKind::kEndTag:
        OnEndTag(token);
        break;
      case XmlTokenKind::kError:
        OnBadMarkup(XmlNote{token.note, token.unterminatedType.empty() ? "" : "type",
                            token.unterminatedType, token.start, std::nullopt});
        break;
      case XmlTokenKind::kEnd:
        if (open_.Depth() > 0) {
          UnendAbove(0, document_.size());
          open_.PopAbove(0);
        }
        return nextFree_;
      default:
        break;  // the table holds elements only; content stays in the document
    }
  }
}

void XmlTreeBuilder::OnStartTag(const XmlToken& token) {
  // Records cannot hold a longer start tag or a deeper element; such a document is
  // refused rather than described with truncated fields.
  if (token.length > kMaxStartTagLength) {
    OnBadMarkup(XmlNote{"start_tag_too_long", {}, {}, token.start, std::nullopt});
    return;
  }
  const std::size_t depth = open_.Depth();
  if (depth > kMaxDepth) {
    OnBadMarkup(XmlNote{"element_too_deep", {}, {}, token.start, std::nullopt});
    return;
  }
  const std::uint32_t index = nextFree_++;
  table_.GrowFor(index);
  ElementRecord& record = table_[index];
  const auto length = static_cast<std::uint32_t>(token.length);
  record = ElementRecord{static_cast<std::int32_t>(token.start), length, length,
                         static_cast<std::uint32_t>(depth), 0, 0, 0, 0};
  AppendChild(open_.InnermostRecord(), index);
  if (!token.selfClosing) {
    const std::size_t nameStart = token.start + 1;
    open_.Push(index, nameStart, TagNameLength(document_, nameStart, token.start + token.length));
  }
}

void XmlTreeBuilder::OnEndTag(const XmlToken& token) {
  if (token.length > kMaxEndTagLength) {
    OnBadMarkup(XmlNote{"end_tag_too_long", {}, {}, token.start, std::nullopt});
    return;
  }
  const std::size_t nameStart = token.start + 2;
  const std::string_view name =
      document_.substr(nameStart, TagNameLength(document_, nameStart, token.start + token.length));
  const std::size_t level = open_.FindInnermost(name);
  if (level == 0) {
    OnBadMarkup(XmlNote{"lone_end_tag", "tagname", name, token.start, std::nullopt});
    return;
  }
  if (level < open_.Depth()) UnendAbove(level, token.start + 1);
  Complete(level, token);
  open_.PopAbove(level - 1);
}

void XmlTreeBuilder::OnBadMarkup(const XmlNote& note) {
  MarkUnsound();
  table_[open_.InnermostRecord()].flags |= kFlagBadContent;
  AppendNote(notes_, note);
}

void XmlTreeBuilder::AppendChild(std::uint32_t parent, std::uint32_t child) {
  ElementRecord& parentRecord = table_[parent];
  ElementRecord& childRecord = table_[child];
  childRecord.parent = parent;
  if (parentRecord.firstChild == 0) {
    parentRecord.firstChild = child;
    childRecord.flags |= kFlagFirstChild;
    childRecord.previousSibling = child;
    return;
  }
  ElementRecord& first = table_[parentRecord.firstChild];
  table_[first.previousSibling].nextSibling = child;
  childRecord.previousSibling = first.previousSibling;
  first.previousSibling = child;
}

void XmlTreeBuilder::Complete(std::size_t level, const XmlToken& endTag) {
  ElementRecord& record = table_[open_.RecordAt(level)];
  const std::size_t end = endTag.start + endTag.length;
  record.length = static_cast<std::uint32_t>(end - static_cast<std::size_t>(record.start));
  record.tagLengths = PackTagLengths(StartTagLength(record), static_cast<std::uint32_t>(endTag.length));
}

void XmlTreeBuilder::UnendAbove(std::size_t level, std::size_t endOffset) {
  MarkUnsound();
  for (std::size_t unended = open_.Depth(); unended > level; --unended) {
    ElementRecord& record = table_[open_.RecordAt(unended)];
    AppendNote(notes_, XmlNote{"unended_start_tag", "tagname", open_.NameAt(unended),
                               static_cast<std::size_t>(record.start), endOffset});
    record.flags |= kFlagUnended;
    record.length = StartTagLength(record);
    record.tagLengths = PackTagLengths(record.length, 0);
    // Bad content found inside an unended element belongs, after the move, to the
    // element that now holds that content.
    if ((record.flags & kFlagBadContent) != 0) table_[open_.RecordAt(unended - 1)].flags |= kFlagBadContent;
  }
  RelinkUnendedChildren(level);
}

void XmlTreeBuilder::RelinkUnendedChildren(std::size_t level) {
  // Each unended element is the last child of the one below it, so moving every one's
  // children up behind it, from the top down, flattens them into a single run of siblings
  // under the element at `level`: lowest unended element, its children, the next one's
  // children, and so on. Building that run in one pass touches each moved child once,
  // where moving level by level would be quadratic in the depth.
  const std::uint32_t newParent = open_.RecordAt(level);
  std::uint32_t tail = open_.RecordAt(level + 1);
  for (std::size_t unended = level + 1; unended <= open_.Depth(); ++unended) {
    const std::uint32_t element = open_.RecordAt(unended);
    ElementRecord& record = table_[element];
    const std::uint32_t first = record.firstChild;
    if (first == 0) continue;
    record.firstChild = 0;
    ElementRecord& firstRecord = table_[first];
    const std::uint32_t last = firstRecord.previousSibling;
    record.nextSibling = first;
    firstRecord.previousSibling = element;
    firstRecord.flags &= ~kFlagFirstChild;
    for (std::uint32_t child = first; child != 0; child = table_[child].nextSibling) {
      table_[child].parent = newParent;
    }
    tail = last;
  }
  table_[table_[newParent].firstChild].previousSibling = tail;
}

void XmlTreeBuilder::MarkUnsound() { table_[0].flags |= kFlagDocumentUnsound; }

}  // namespace tessaly
