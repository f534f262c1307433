#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/CodeAdmission.h"
#include "platform/CodeSignatures.h"

namespace tessaly {

// A signer for tests: a throwaway certificate of an organisation and its thumbprint.
struct TestSigner {
  std::vector<unsigned char> certificate;
  std::string thumbprint;
  CodeSignature Signature() const { return {SignatureStatus::Valid, certificate}; }
};
TestSigner MakeTestSigner(const std::string& organisation);

// Signatures by path: a listed file has its entry, any other the fallback. Records every
// path checked.
class FakeCodeSignatures final : public CodeSignatures {
 public:
  explicit FakeCodeSignatures(CodeSignature fallback) : fallback_(std::move(fallback)) {}
  CodeSignature Check(const std::u16string& path) const override;

  std::map<std::u16string, CodeSignature> byPath;
  mutable std::vector<std::u16string> checked;

 private:
  CodeSignature fallback_;
};

// A gate over fake signatures that allows one signer, "Bank Test", and lets every file it
// is not told otherwise about pass as signed by it: the set-up of tests about other things.
struct PermissiveCodeGate {
  TestSigner bank = MakeTestSigner("Bank Test");
  std::string_view thumbprints[1] = {bank.thumbprint};
  FakeCodeSignatures signatures{bank.Signature()};
  CodeGate gate;
  explicit PermissiveCodeGate(const FileWriter& files)
      : gate(signatures, files, PublisherAllowList{thumbprints, false}) {}
};

}  // namespace tessaly
