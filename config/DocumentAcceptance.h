#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "config/DocumentSignature.h"

namespace tessaly {

// The sequence number of the last signed document the program accepted, kept between
// starts so that an older document, which may name an older and vulnerable installer,
// cannot be replayed.
class AcceptedSequence {
 public:
  virtual ~AcceptedSequence() = default;
  // 0 before the first signed document was accepted: every sequence is at least that.
  virtual std::uint32_t Last() const = 0;
  virtual void Remember(std::uint32_t sequence) = 0;
};

enum class DocumentVerdict {
  Unpinned,      // the program pins no key: taken as it is, as before signatures existed
  Accepted,      // signed by a pinned key, not older than the last accepted
  Unsigned,      // no single well-formed signature comment at its end
  BadSignature,  // signed, but not by a pinned key over these bytes
  Replayed,      // validly signed, but older than the last accepted
};

struct DocumentCheck {
  DocumentVerdict verdict = DocumentVerdict::Unsigned;
  // What the parser reads: the signed body when accepted, the whole text when unpinned.
  std::string_view text{};
  std::uint32_t sequence = 0;
};

// Decides whether a downloaded document may be used. With keys pinned only an Accepted
// document may: anything else is as good as no download. The same sequence as the last
// accepted is taken, since the server serves one document at every start.
DocumentCheck CheckDownloadedDocument(std::string_view document,
                                      std::span<const DocumentKey> pinnedKeys,
                                      std::uint32_t lastAccepted);

}  // namespace tessaly
