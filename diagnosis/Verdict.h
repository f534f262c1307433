#pragma once

#include <cstdint>
#include <string_view>

#include "config/CheckConfig.h"
#include "diagnosis/DiagnosisServices.h"

namespace tessaly {

// The notice after a repair run that the user started from the page's completion flow.
inline constexpr std::u16string_view kCompletionNoticeText = u"   系统设置完成         ";

// The overall verdict: bit 0 when any of the nine result flags is false or no configuration
// was read (the checks had nothing to measure); bit 1 when a
// component item from the second on needs attention. The first item is optional and never
// counts. A "driver" item does not count for a user without a USB key (`userType` 2), and
// otherwise only through the low 28 bits of its state; any other item through its whole
// state.
std::int32_t ComputeVerdict(const CheckConfig& config, std::uint32_t userType);

// Sends the verdict (category 0, item 3). A clean verdict after the page's `site` first
// shows the completion notice, once.
void ReportVerdict(const DiagnosisServices& services);

}  // namespace tessaly
