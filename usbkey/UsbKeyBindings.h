#pragma once

#include <utility>

#include "diagnosis/DiagnosisOperations.h"
#include "usbkey/UsbKeyProbe.h"

namespace tessaly {

// The USB-key probe bound into the operation table: the final diagnosis step and the page
// method `checkUkeySimple` both run `operations.probeUsbKey`. Everything the services
// name must outlive the table's use of the entry.
class UsbKeyBindings {
 public:
  explicit UsbKeyBindings(UsbKeyProbeServices services) : services_(std::move(services)) {}

  void BindTo(DiagnosisOperations& operations);

 private:
  UsbKeyProbeServices services_;
};

}  // namespace tessaly
