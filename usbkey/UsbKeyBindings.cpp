#include "usbkey/UsbKeyBindings.h"

namespace tessaly {

void UsbKeyBindings::BindTo(DiagnosisOperations& operations) {
  operations.probeUsbKey = [this] { ProbeUsbKey(services_); };
}

}  // namespace tessaly
