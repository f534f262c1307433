#include <gtest/gtest.h>

#include <string>

#include "platform/CodeAdmission.h"
#include "tests/fakes/FakeCodeSignatures.h"
#include "tests/fakes/FakeFileStore.h"

namespace tessaly {
namespace {

// Which downloaded files pass the gate, for every use: by the system's verdict on the
// signature, the signer, the allowed publishers and whether the file is code.
TEST(CodeAdmissionTest, OnlyCodeOfAnAllowedPublisherPasses) {
  const TestSigner bank = MakeTestSigner("Bank Test");
  const TestSigner other = MakeTestSigner("Other Test");
  const TestSigner microsoft = MakeTestSigner("Microsoft Corporation");
  const std::string_view bankOnly[] = {bank.thumbprint};
  const PublisherAllowList development{bankOnly, false};
  const PublisherAllowList release{bankOnly, true};
  const auto status = [&bank](SignatureStatus verdict) { return CodeSignature{verdict, bank.certificate}; };
  constexpr auto kComponent = CodeUse::Component;
  constexpr auto kUpdate = CodeUse::ProgramUpdate;
  constexpr auto kEnrolment = CodeUse::EnrolmentControl;
  const struct {
    const char* what;
    CodeSignature signature;
    const char16_t* path;
    CodeUse use;
    bool runs;
    PublisherAllowList allowed;
    bool admitted;
  } cases[] = {
      {"the bank's installer", bank.Signature(), u"setup.exe", kComponent, true, development, true},
      {"the bank's new program", bank.Signature(), u"Tessaly.exe", kUpdate, true, development, true},
      {"unsigned", {SignatureStatus::NoSignature, {}}, u"setup.exe", kComponent, true, development, false},
      {"altered after signing", {SignatureStatus::BadDigest, {}}, u"setup.exe", kUpdate, true, development, false},
      {"an untrusted chain", status(SignatureStatus::Untrusted), u"setup.exe", kComponent, true, development, false},
      {"a revoked certificate", status(SignatureStatus::Revoked), u"setup.exe", kComponent, true, development, false},
      {"a check that failed", status(SignatureStatus::Failed), u"setup.exe", kComponent, true, development, false},
      {"a valid signature without certificate", {SignatureStatus::Valid, {}}, u"a.exe", kComponent, true, development, false},
      {"another publisher", other.Signature(), u"setup.exe", kComponent, true, development, false},
      {"another publisher's enrolment control", other.Signature(), u"CertEnroll.dll", kEnrolment, true, release, false},
      {"Microsoft's enrolment control in a release", microsoft.Signature(), u"CertEnroll.dll", kEnrolment, true, release, true},
      {"Microsoft's enrolment control in development", microsoft.Signature(), u"CertEnroll.dll", kEnrolment, true, development, false},
      {"Microsoft's installer", microsoft.Signature(), u"setup.exe", kComponent, true, release, false},
      {"Microsoft's program update", microsoft.Signature(), u"Tessaly.exe", kUpdate, true, release, false},
      {"a garbled certificate named Microsoft", {SignatureStatus::Valid, {0x30, 0x03, 0x02, 0x01, 0x01}}, u"x.dll", kEnrolment, true, release, false},
      {"nothing allowed", bank.Signature(), u"setup.exe", kComponent, true, {{}, true}, false},
      {"a run installer with a data name", {SignatureStatus::NoSignature, {}}, u"setup.dat", kComponent, true, development, false},
      {"a placed library", {SignatureStatus::NoSignature, {}}, u"C:\\x\\ctl.OCX", kComponent, false, development, false},
      {"a placed driver", {SignatureStatus::NoSignature, {}}, u"C:\\x\\key.sys", kComponent, false, development, false},
      {"a placed data file", {SignatureStatus::NoSignature, {}}, u"C:\\x\\WatchSafe.ini", kComponent, false, development, true},
      {"a placed file named like code inside", {SignatureStatus::NoSignature, {}}, u"C:\\x\\a.exe.txt", kComponent, false, development, true},
  };
  for (const auto& c : cases) {
    FakeFileStore files;
    files.Put(c.path, "MZ downloaded");
    FakeCodeSignatures signatures(c.signature);
    const CodeGate gate(signatures, files, c.allowed);
    EXPECT_EQ(gate.Admit(c.path, c.use, c.runs), c.admitted) << c.what;
    EXPECT_EQ(files.Find(c.path) != nullptr, c.admitted) << c.what << ": a refused file is deleted";
  }
}

TEST(CodeAdmissionTest, TheThumbprintIsTheCertificatesSha256) {
  // SHA-256 of the three bytes "abc".
  const unsigned char abc[] = {'a', 'b', 'c'};
  EXPECT_EQ(CertificateThumbprint(abc),
            "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
}

}  // namespace
}  // namespace tessaly
