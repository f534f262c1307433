#pragma once

#include <array>
#include <span>
#include <string_view>

namespace tessaly {

// What makes the certificate-enrolment controls usable on one kind of Windows: the files
// (paths as the 32-bit program sees them, before expansion) with the download server's
// path of each, the class whose local server must be registered, and the registry script
// beside the program that registers it.
struct EnrolmentFile {
  std::u16string_view path;
  std::string_view download;
};

struct EnrolmentControls {
  std::span<const EnrolmentFile> files;
  std::u16string_view classId;  // with its braces
  std::u16string_view script;
  // Whether the user is asked before anything is repaired.
  bool asksFirst;
};

inline constexpr std::array<EnrolmentFile, 2> kCertEnrollFiles{{
    {u"%SystemRoot%\\System32\\CertEnroll.dll", "/wydown/ocx/CertEnroll.dll"},
    {u"%SystemRoot%\\System32\\CertEnrollCtrl.exe", "/wydown/ocx/CertEnrollCtrl.exe"},
}};
inline constexpr std::array<EnrolmentFile, 1> kXenrollFiles{{
    {u"%SystemRoot%/System32/xenroll.dll", "/wydown/ocx/xenroll.dll"},
}};

// Windows Vista and later: CertEnroll with its web class factory, served by CertEnrollCtrl.exe.
inline constexpr EnrolmentControls kCertEnrollControls{
    kCertEnrollFiles, u"{884e2049-217d-11da-b2a4-000e7bbb2b09}", u"certenroll.reg", true};
// Earlier Windows: the Xenroll control, repaired without asking.
inline constexpr EnrolmentControls kXenrollControls{
    kXenrollFiles, u"{127698e4-e730-4e5c-a2b1-21490a70c8a1}", u"xenroll.reg", false};

// The first major version of Windows that has CertEnroll.
inline constexpr unsigned kCertEnrollMajorVersion = 6;

}  // namespace tessaly
