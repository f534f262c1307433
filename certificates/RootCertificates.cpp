#include "certificates/RootCertificates.h"

#include <span>

#include "certificates/CertificateAdding.h"
#include "certificates/CertificateInStore.h"
#include "certificates/CertificateResults.h"
#include "certificates/RootChainTable.h"

namespace tessaly {
namespace {

std::int32_t RowInStore(CertificateServices services, const RootChainRow& row) {
  return IsCertificateInStore(services, services.stores.OpenCurrentUserSystemStore(row.storeName),
                              row.searchName, row.resourceName);
}

std::int32_t AddRowIfMissing(CertificateServices services, const RootChainRow& row) {
  if (RowInStore(services, row) >= 0) {
    return kCertificateOk;
  }
  return AddResourceCertificate(services, row.resourceName, row.storeName);
}

}  // namespace

std::int32_t CheckRootCertificates(CertificateServices services) {
  for (const RootChainRow& row : RootChainTable) {
    const std::int32_t result = RowInStore(services, row);
    if (result < 0) {
      return result;
    }
  }
  return kCertificateOk;
}

std::int32_t InstallRootCertificates(CertificateServices services) {
  // The intermediate authorities are useless without the root, so a root that cannot be
  // added ends the install.
  const std::int32_t root = AddRowIfMissing(services, RootChainTable.front());
  if (root < 0) {
    return root;
  }
  // Every intermediate authority is tried; one that could not be added must not be
  // hidden by a later one that could. A user who declined an add is not asked again.
  std::int32_t result = kCertificateOk;
  for (const RootChainRow& row : std::span(RootChainTable).subspan(1)) {
    const std::int32_t added = AddRowIfMissing(services, row);
    if (added == kCertificateDeclined) {
      return added;
    }
    if (added < 0 && result >= 0) {
      result = added;
    }
  }
  return result;
}

}  // namespace tessaly
