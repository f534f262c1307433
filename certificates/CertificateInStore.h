#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "certificates/CertificateServices.h"
#include "platform/CertificateStores.h"

namespace tessaly {

// True when the first subject attribute `oid` of `certificate` equals `text` exactly,
// including case. A certificate without that attribute has the empty text.
bool NameAttributeEquals(const Certificate& certificate, std::string_view oid, std::string_view text);

// Whether `store` holds the certificate of resource `resource`: the first certificate
// whose subject contains `name` and whose common name or organisation is exactly `name`
// must have the resource certificate's issuer and serial number. Only that first exact
// match is compared. Validity dates are not looked at. 0 when it matches, else E_FAIL
// (also for a null store or a missing resource). Takes the store and closes it.
std::int32_t IsCertificateInStore(CertificateServices services, std::unique_ptr<CertificateStore> store,
                                  std::string_view name, std::string_view resource);

}  // namespace tessaly
