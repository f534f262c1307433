#pragma once

#include <cstdint>

namespace tessaly::ravelin::win32 {

// GetX509ReqData and ImportCertData over the Watchdata provider "Watchdata CSP v3.3": a new
// key pair in a new container and its signed PKCS#10 request in Base64; then the certificate
// issued for it, stored with that key pair. The container of the latest request of this
// process links the two.
std::int32_t MakeCertificateRequest(const char* subject, std::int32_t keyType, char* out,
                                    std::int32_t* outLength);
std::int32_t StoreIssuedCertificate(const char* certificate, std::int32_t length);

}  // namespace tessaly::ravelin::win32
