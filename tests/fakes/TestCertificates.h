#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

// A self-signed X.509 certificate made with OpenSSL (a throwaway P-256 key), DER-encoded:
// subject "C=CN, O=<organisation>, CN=<commonName>", valid between the two moments
// (seconds since 1970, UTC). Empty when OpenSSL fails.
std::string MakeTestCertificate(const std::string& organisation, const std::string& commonName,
                                std::int64_t notBefore, std::int64_t notAfter);

}  // namespace tessaly
