#pragma once

#include <string>

#include "config/CheckConfig.h"

namespace tessaly::itemcheck {

// What the tool found in one document: the reader's verdict and notes, whether the
// document was accepted as a check-item configuration, and the model it gave.
struct DocumentReport {
  bool sound = false;
  std::string notes;
  bool accepted = false;
  const CheckConfig* config = nullptr;
};

// Indented, one fact per line, for a person reading a terminal.
std::string RenderReadable(const DocumentReport& report);
// One JSON object with the same content; texts are the UTF-8 the document holds.
std::string RenderJson(const DocumentReport& report);

}  // namespace tessaly::itemcheck
