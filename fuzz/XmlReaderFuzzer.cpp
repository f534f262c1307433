// libFuzzer target for the check-item document reader. Each input is parsed and walked
// element by element with every query checked; one input in four is also parsed and
// walked again by a reader that has just read another document, since the table never
// shrinks and the queries cache what they scanned, and none of that may leak across.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/xml/XmlReader.h"
#include "fuzz/CursorWalk.h"
#include "fuzz/Invariant.h"
#include "fuzz/NotesCheck.h"

namespace tessaly::fuzz {
namespace {

// A name to search for, cut from the input itself so that mutations reach the matching
// rules. The last byte steers it: its high half picks a point in the document, the name
// starts after the last '<' before that point (usually an element name), and its low
// half gives the length, often running past the name into what follows it.
std::string_view ProbeName(std::string_view document) {
  if (document.empty()) return {};
  const auto control = static_cast<unsigned char>(document.back());
  const std::size_t anchor = document.size() * (control >> 4u) / 16u;
  const std::size_t open = document.rfind('<', anchor);
  const std::size_t begin = open == std::string_view::npos ? 0 : open + 1;
  return document.substr(begin, control % 16u);
}

// The verdict is fully determined by record 0 and the top-level element.
bool VerdictFromTable(const ElementTable& table) {
  const ElementRecord& document = table[0];
  return (document.flags & kFlagDocumentUnsound) == 0 && document.firstChild != 0 &&
         table[document.firstChild].nextSibling == 0;
}

void CheckParse(const XmlReader& reader, bool sound, std::string_view document) {
  const ElementTable& table = reader.Table();
  Require(sound == VerdictFromTable(table), "verdict agrees with the table");
  Require(table[0].length == document.size(), "record 0 spans the document");
  Require(!sound || reader.Notes().empty(), "a sound document has no notes");
  Require(!document.empty() || (!sound && reader.Notes().empty()),
          "an empty text is unsound without notes");
  Require(table.Capacity() >= document.size() / 64 + 8, "table room follows the length");
  Require(reader.ElementCount() < table.Capacity(), "every element has a record");
  CheckNotes(reader.Notes(), document.size());
}

// A reader that parsed and walked another document must then give the same verdict,
// notes and answers as a fresh one.
void CheckReuse(std::string_view document, std::string_view probeName, bool sound,
                const XmlReader& fresh, const WalkResult& freshWalk) {
  XmlReader reused;
  const std::string other = std::string(document.substr(document.size() / 2)) + "<z><y/></z>";
  reused.Parse(other);
  WalkAndCheck(reused, other, ProbeName(other));
  Require(reused.Parse(std::string(document)) == sound, "a reused reader gives the same verdict");
  Require(reused.ElementCount() == fresh.ElementCount(),
          "a reused reader creates the same elements");
  Require(reused.Notes() == fresh.Notes(), "a reused reader makes the same notes");
  Require(WalkAndCheck(reused, document, probeName).digest == freshWalk.digest,
          "a reused reader answers every query alike");
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaly::fuzz;
  const std::string_view document(reinterpret_cast<const char*>(data), size);
  const std::string_view probeName = ProbeName(document);

  tessaly::XmlReader reader;
  const bool sound = reader.Parse(std::string(document));
  CheckParse(reader, sound, document);
  const WalkResult walk = WalkAndCheck(reader, document, probeName);
  if (sound) {
    Require(walk.visited == reader.ElementCount(), "the walk of a sound document visits all");
  } else {
    Require(walk.visited <= reader.ElementCount(), "the walk visits no element twice");
  }
  if (size % 4 == 0) CheckReuse(document, probeName, sound, reader, walk);
  return 0;
}
