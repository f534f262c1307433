#pragma once

#include <cstddef>
#include <string>

namespace tessaly::fuzz {

// The notes are markup themselves: one empty element per note, with escaped attribute
// values, appended only while the text is at most 999 bytes long. Checks that they read
// back with the reader itself, name only known notes and point inside the document.
void CheckNotes(const std::string& notes, std::size_t documentSize);

}  // namespace tessaly::fuzz
