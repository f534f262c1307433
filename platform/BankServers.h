#pragma once

#include <string_view>

namespace tessaly {

// What the program fixes of the bank's servers. The hosts are this deployment's; a bank's
// build replaces them. The default check-item document's `base` names the same download
// server (a test keeps the two together).

// The download server: plain HTTP, scheme and host without a trailing slash.
inline constexpr std::string_view kDownloadServer = "http://download.quaymark.example";

// The check-item documents for 32-bit and for 64-bit Windows.
inline constexpr std::string_view kConfigDocumentPath32 = "/wydown/ocx/item_L.xml";
inline constexpr std::string_view kConfigDocumentPath64 = "/wydown/ocx/item64_L.xml";

// The certificate-enrolment controls.
inline constexpr std::string_view kCertEnrollDllPath = "/wydown/ocx/CertEnroll.dll";
inline constexpr std::string_view kCertEnrollControlPath = "/wydown/ocx/CertEnrollCtrl.exe";
inline constexpr std::string_view kXenrollDllPath = "/wydown/ocx/xenroll.dll";

// The certificate server: HTTPS on port 543, every path under kCertificateFolder. Only the
// page's script talks to it.
inline constexpr std::string_view kCertificateServer = "https://cert.quaymark.example:543";
inline constexpr std::string_view kCertificateFolder = "/quaymarkcert/";
inline constexpr std::string_view kCertificateCaptchaImage = "VerifyImage";
inline constexpr std::string_view kPersonalCertificateFirstRequest = "doPerSubmitDown.do";
inline constexpr std::string_view kCorporateCertificateFirstRequest = "doCbSubmitDown.do";
inline constexpr std::string_view kPersonalCertificateSecondRequest = "pbStartRaRequest.do";
inline constexpr std::string_view kCorporateCertificateSecondRequest = "cbStartRaRequest.do";

}  // namespace tessaly
