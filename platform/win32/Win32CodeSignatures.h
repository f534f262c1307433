#pragma once

#include "platform/CodeSignatures.h"

namespace tessaly::win32 {

// Authenticode through WinVerifyTrust: the generic verify action, no user interface,
// revocation checked for every certificate of the chain; the signer's certificate is read
// from the verification's own state, so it is the one the system checked.
class Win32CodeSignatures final : public CodeSignatures {
 public:
  CodeSignature Check(const std::u16string& path) const override;
};

}  // namespace tessaly::win32
