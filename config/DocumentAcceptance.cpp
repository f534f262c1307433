#include "config/DocumentAcceptance.h"

namespace tessaly {

DocumentCheck CheckDownloadedDocument(std::string_view document,
                                      std::span<const DocumentKey> pinnedKeys,
                                      std::uint32_t lastAccepted) {
  if (pinnedKeys.empty()) {
    return {DocumentVerdict::Unpinned, document, 0};
  }
  const std::optional<SignedDocument> signedDocument = SplitSignedDocument(document);
  if (!signedDocument) {
    return {DocumentVerdict::Unsigned, {}, 0};
  }
  if (!IsSignedByOneOf(*signedDocument, pinnedKeys)) {
    return {DocumentVerdict::BadSignature, {}, signedDocument->sequence};
  }
  if (signedDocument->sequence < lastAccepted) {
    return {DocumentVerdict::Replayed, {}, signedDocument->sequence};
  }
  return {DocumentVerdict::Accepted, signedDocument->body, signedDocument->sequence};
}

}  // namespace tessaly
