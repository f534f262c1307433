#pragma once

#include <string>

#include "config/CheckConfig.h"
#include "diagnosis/PageSink.h"
#include "platform/Clock.h"
#include "platform/ModuleLoader.h"
#include "shell/Settings.h"

namespace tessaly {

// What the USB-key probe reads and reports through; all of it outlives the probe.
struct UsbKeyProbeServices {
  const CheckConfig& config;
  const Settings& settings;
  PageSink& page;
  const ModuleLoader& modules;
  const Clock& clock;
  std::u16string programPath;  // the program's own full file path; adapters lie beside it
};

// The USB-key probe (the final diagnosis step and the page method `checkUkeySimple`):
// blanks the key panel, then for every driver item of the user's key type that is not
// waiting for an install, binds that kind's adapter, asks it and, when a key of that kind
// is attached (bit 31 of the item's state clear), fills the panel. GUI thread only.
void ProbeUsbKey(const UsbKeyProbeServices& services);

}  // namespace tessaly
