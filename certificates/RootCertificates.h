#pragma once

#include <cstdint>

#include "certificates/CertificateServices.h"

namespace tessaly {

// 0 when the current user's stores hold every certificate of RootChainTable, else E_FAIL
// (checked in table order; the first missing row decides).
std::int32_t CheckRootCertificates(CertificateServices services);

// Adds every certificate of RootChainTable that its store does not hold. A root that
// cannot be added stops at once with its failure; the intermediate authorities are all
// tried, and the first failure among them is the answer. 0 when nothing failed. The
// caller measures again with CheckRootCertificates.
std::int32_t InstallRootCertificates(CertificateServices services);

}  // namespace tessaly
