#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/CodeSignatures.h"
#include "platform/FileAccess.h"

namespace tessaly {

// What a downloaded piece of code is for: each use has its own allowed publishers.
enum class CodeUse {
  Component,         // installers, registered libraries and code placed by file jobs
  ProgramUpdate,     // the update's new program and its installer
  EnrolmentControl,  // the certificate-enrolment controls written into the system folder
};

// The publishers whose code the program runs: deployment data of the build
// (platform/AllowedPublishers.h).
struct PublisherAllowList {
  // SHA-256 thumbprints of the bank's signer certificates, 64 upper-case hex digits.
  std::span<const std::string_view> thumbprints;
  // Whether the platform's own publisher (Microsoft) may sign the enrolment controls.
  bool platformPublisherForEnrolment = false;
};

// Whether a file of this name is code that Windows runs or loads (by its extension); other
// files a job places (texts, settings, data) carry no signature.
bool IsCodeFileName(std::u16string_view path);

// The SHA-256 thumbprint of a DER certificate, 64 upper-case hex digits; empty when the
// digest cannot be made.
std::string CertificateThumbprint(std::span<const unsigned char> der);

// Whether a valid signature's signer is allowed for the use.
bool IsAllowedSigner(const CodeSignature& signature, CodeUse use, const PublisherAllowList& allowed);

// The one gate every downloaded file passes before anything runs, registers or places it:
// code must carry a valid signature of an allowed publisher. A file refused is deleted, so
// the caller handles it as a failed download.
class CodeGate {
 public:
  CodeGate(const CodeSignatures& signatures, const FileWriter& files, PublisherAllowList allowed)
      : signatures_(signatures), files_(files), allowed_(allowed) {}

  // `runs`: the file is run or registered whatever its name says; otherwise only a file
  // whose name is code needs a signature.
  bool Admit(const std::u16string& path, CodeUse use, bool runs) const;

 private:
  const CodeSignatures& signatures_;
  const FileWriter& files_;
  PublisherAllowList allowed_;
};

}  // namespace tessaly
