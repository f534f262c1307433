#include "tests/fakes/FakeCodeSignatures.h"

#include "platform/HttpDownload.h"
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
  for (const auto& [listed, signature] : byPath) {
    if (path == listed || path == DownloadStagingPath(listed)) {
      return signature;
    }
  }
  return fallback_;
}

}  // namespace tessaly
