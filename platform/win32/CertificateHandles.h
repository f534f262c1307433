#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "platform/win32/UniqueHandles.h"

namespace tessaly::win32 {

inline BOOL CloseCertificateStore(HCERTSTORE store) { return CertCloseStore(store, 0); }

// Owners of an open certificate store and of a certificate context.
using unique_hcertstore = UniqueHandleOf<HCERTSTORE, &CloseCertificateStore>;
using unique_cert_context = UniqueHandleOf<PCCERT_CONTEXT, &CertFreeCertificateContext>;

}  // namespace tessaly::win32
