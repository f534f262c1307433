#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/DocumentSignature.h"

namespace tessaly::itemcheck {

// The public key of a PEM text holding an Ed25519 public or private key (as `openssl
// genpkey -algorithm ed25519` and `openssl pkey -pubout` write them); nothing for any other
// text or key type.
std::optional<DocumentKey> DocumentKeyFromPem(std::string_view pem);

// The document signed with the Ed25519 private key of a PEM text, under `sequence`: its body
// (a document signed before is signed anew, its old signature dropped), a line end if it
// lacks one, and the signature comment. Nothing when the key is not an Ed25519 private key
// or the document holds a signature comment that is not its one well-formed last comment.
std::optional<std::string> SignDocument(std::string_view document, std::string_view privateKeyPem,
                                        std::uint32_t sequence);

}  // namespace tessaly::itemcheck
