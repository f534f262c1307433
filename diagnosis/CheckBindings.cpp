#include "diagnosis/CheckBindings.h"

namespace tessaly {

void BindChecks(DiagnosisOperations& operations, CheckConfig& /*config*/,
                const CheckPlatform& platform) {
  operations.isConnected = [&connection = platform.connection] {
    return connection.IsConnected();
  };
}

}  // namespace tessaly
