#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessaly {

// A check-item document signed by the bank carries its signature in one XML comment at its
// very end, after the bytes it covers:
//
//   <!-- tessaly-signature sequence="1765342800" ed25519="<88 base64 characters>" -->
//
// Programs that know nothing of signatures read the comment as a comment and ignore it, so
// one document serves every deployed program, and it travels in the one download the
// document always took. The signature is Ed25519 over SignedDocumentMessage(body,
// sequence): the sequence number is signed with the body, so an attacker can neither
// renumber an old document nor move a signature onto other bytes.
inline constexpr std::size_t kDocumentKeyBytes = 32;
inline constexpr std::size_t kDocumentSignatureBytes = 64;
using DocumentKey = std::array<unsigned char, kDocumentKeyBytes>;
using DocumentSignatureBytes = std::array<unsigned char, kDocumentSignatureBytes>;

// The comment's opening, up to the attributes: a body that holds it again is refused, so a
// document never has two candidate signatures.
inline constexpr std::string_view kSignatureCommentOpening = "<!-- tessaly-signature ";

struct SignedDocument {
  std::string_view body;  // every byte before the signature comment
  std::uint32_t sequence = 0;
  DocumentSignatureBytes signature{};
};

// Splits a document into its body and signature. Nothing when the document does not end
// with exactly one well-formed signature comment (trailing line ends allowed): no comment,
// a second one in the body, a sequence that is not a decimal number below 2^32, a signature
// that is not exactly 64 bytes in canonical base64.
std::optional<SignedDocument> SplitSignedDocument(std::string_view document);

// The bytes the signature covers: a fixed label, the sequence and the body.
std::string SignedDocumentMessage(std::string_view body, std::uint32_t sequence);

// The signature comment line for a body, ending with a line end.
std::string SignatureComment(std::uint32_t sequence, const DocumentSignatureBytes& signature);

// Whether one of the keys made the document's signature.
bool IsSignedByOneOf(const SignedDocument& document, std::span<const DocumentKey> keys);

}  // namespace tessaly
