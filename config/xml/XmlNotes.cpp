#include "config/xml/XmlNotes.h"

namespace tessaly {

namespace {

void AppendEscaped(std::string& notes, std::string_view value) {
  for (const char byte : value) {
    switch (byte) {
      case '"': notes += "&quot;"; break;
      case '&': notes += "&amp;"; break;
      case '\'': notes += "&apos;"; break;
      case '<': notes += "&lt;"; break;
      case '>': notes += "&gt;"; break;
      default: notes += byte; break;
    }
  }
}

void AppendAttribute(std::string& notes, std::string_view name, std::string_view value) {
  notes += ' ';
  notes += name;
  notes += "=\"";
  AppendEscaped(notes, value);
  notes += '"';
}

}  // namespace

void AppendNote(std::string& notes, const XmlNote& note) {
  if (notes.size() > kNotesLimit) return;
  notes += '<';
  notes += note.name;
  if (!note.detailName.empty()) AppendAttribute(notes, note.detailName, note.detailValue);
  if (note.offset) AppendAttribute(notes, "offset", std::to_string(*note.offset));
  if (note.offset2) AppendAttribute(notes, "offset2", std::to_string(*note.offset2));
  notes += "/>";
}

}  // namespace tessaly
