#pragma once

#include "platform/CertificateStores.h"
#include "platform/ModuleResources.h"

namespace tessaly {

// What the certificate operations work with: the current user's stores and the
// certificates the program carries as resources.
struct CertificateServices {
  CertificateStores& stores;
  const ModuleResources& resources;
};

}  // namespace tessaly
