#pragma once

#include <string>
#include <vector>

namespace tessaly {

// The system's verdict on a file's Authenticode signature.
enum class SignatureStatus {
  Valid,        // signed, the bytes match, and the system trusts the whole chain
  NoSignature,  // not signed, or not a kind of file that can carry a signature
  BadDigest,    // signed, but the bytes were changed after signing
  Untrusted,    // the chain ends at a root the system does not trust, or is explicitly distrusted
  Revoked,      // a certificate of the chain was revoked
  Failed,       // anything else: the file could not be read, the check could not run
};

struct CodeSignature {
  SignatureStatus status = SignatureStatus::Failed;
  // The signer's certificate as DER, when the signature is Valid; empty otherwise.
  std::vector<unsigned char> signerCertificate{};
};

// Checks files against their Authenticode signatures, without any user interface and
// with revocation checked along the whole chain.
class CodeSignatures {
 public:
  virtual ~CodeSignatures() = default;
  virtual CodeSignature Check(const std::u16string& path) const = 0;
};

}  // namespace tessaly
