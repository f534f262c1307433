#pragma once

#include <cstdint>

#include "diagnosis/PageSink.h"
#include "platform/Clock.h"
#include "usbkey/CUSBKey.h"

namespace tessaly {

// The page's category of the key detail panel, and its rows.
inline constexpr std::int32_t kKeyPanelCategory = 804;
inline constexpr std::int32_t kKeyPanelFirstRow = 2;   // the serial
inline constexpr std::int32_t kKeyPanelLastRow = 12;   // certificate 2's end of validity

// Blanks every row of the panel (items 2 to 12).
void ClearKeyPanel(PageSink& page);

// Shows what a probe found about its first key in the panel; the certificate state comes
// from the first certificate's end of validity when the key holds exactly one.
void ReportKeyPanel(const CUSBKey& key, PageSink& page, const Clock& clock);

}  // namespace tessaly
