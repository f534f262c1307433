#include "certificates/CertificateInStore.h"

#include <string>

#include "certificates/CertificateResults.h"

namespace tessaly {

bool NameAttributeEquals(const Certificate& certificate, std::string_view oid, std::string_view text) {
  return certificate.SubjectAttribute(oid) == text;
}

std::int32_t IsCertificateInStore(CertificateServices services, std::unique_ptr<CertificateStore> store,
                                  std::string_view name, std::string_view resource) {
  std::int32_t result = kCertificateFail;
  if (store == nullptr) {
    return result;
  }
  // The subject search also finds longer names ("CFCA Operation CA1" for "CFCA Operation
  // CA"), so only an exact common name or organisation counts as the certificate sought.
  store->ForEachWithSubject(name, [&](const Certificate& found) {
    if (!NameAttributeEquals(found, kOidCommonName, name) &&
        !NameAttributeEquals(found, kOidOrganization, name)) {
      return true;
    }
    const std::unique_ptr<Certificate> carried =
        services.stores.MakeCertificate(services.resources.LoadResourceBytes(resource, kResourceTypeCertificate));
    if (carried != nullptr && carried->HasSameIssuerAndSerial(found)) {
      result = kCertificateOk;
    }
    return false;
  });
  return result;
}

}  // namespace tessaly
