#include "certificates/CertificateAdding.h"

#include <memory>
#include <optional>
#include <string>

#include "certificates/CertificateResults.h"

namespace tessaly {

std::int32_t AddResourceCertificate(CertificateServices services, std::string_view resource,
                                    std::string_view storeName) {
  std::unique_ptr<CertificateStore> store = services.stores.OpenCurrentUserSystemStore(storeName);
  if (store == nullptr) {
    return kCertificateFail;
  }
  const std::string bytes = services.resources.LoadResourceBytes(resource, kResourceTypeCertificate);
  if (bytes.empty()) {
    return kCertificateFail;
  }
  switch (store->AddEncodedReplacingExisting(bytes)) {
    case CertificateAddResult::Added:
      return kCertificateOk;
    case CertificateAddResult::Declined:
      // The text path would add the same certificate and ask the user a second time.
      return kCertificateDeclined;
    case CertificateAddResult::NotAdded:
      break;
  }
  store.reset();
  return AddCertificateText(services.stores, bytes, storeName);
}

std::int32_t AddCertificateText(CertificateStores& stores, std::string_view text, std::string_view storeName) {
  const std::optional<std::string> der = stores.DecodeCertificateText(text, kMaxCertificateTextBytes);
  if (!der) {
    return kCertificateFail;
  }
  const std::unique_ptr<Certificate> certificate = stores.MakeCertificate(*der);
  if (certificate == nullptr) {
    return kCertificateFail;
  }
  const std::unique_ptr<CertificateStore> store = stores.OpenCurrentUserSystemStore(storeName);
  if (store == nullptr) {
    return kCertificateFail;
  }
  return store->AddUnlessNewerPresent(*certificate) ? kCertificateOk : kCertificateFail;
}

}  // namespace tessaly
