#pragma once

#include "config/CheckConfig.h"
#include "diagnosis/DiagnosisOperations.h"
#include "platform/ConnectionState.h"

namespace tessaly {

// The platform services the checks of the diagnosis reach the system through; they outlive
// the operations bound to them.
struct CheckPlatform {
  const ConnectionState& connection;
};

// Binds every check and repair of the table to its implementation over `platform`, working
// on `config`. Entries that other parts of the program own (component detection and
// install, the USB-key probe, the self-update) are left as they are.
void BindChecks(DiagnosisOperations& operations, CheckConfig& config,
                const CheckPlatform& platform);

}  // namespace tessaly
