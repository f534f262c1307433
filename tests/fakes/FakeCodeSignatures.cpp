#include "tests/fakes/FakeCodeSignatures.h"

#include "tests/fakes/TestCertificates.h"

namespace tessaly {

TestSigner MakeTestSigner(const std::string& organisation) {
  const std::string der = MakeTestCertificate(organisation, organisation + " Publisher", 0, 4102444800);
  TestSigner signer{std::vector<unsigned char>(der.begin(), der.end()), {}};
  signer.thumbprint = CertificateThumbprint(signer.certificate);
  return signer;
}

CodeSignature FakeCodeSignatures::Check(const std::u16string& path) const {
  checked.push_back(path);
  const auto entry = byPath.find(path);
  return entry != byPath.end() ? entry->second : fallback_;
}

}  // namespace tessaly
