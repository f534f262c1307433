#pragma once

#include <cstdint>

#include "config/CheckConfig.h"
#include "diagnosis/DiagnosisState.h"
#include "diagnosis/PageSink.h"

namespace tessaly {

// Sends component item `number` (1-based; others are ignored) to the page. Online (by
// `networkOk`, which it records in `online`) a current browser control or driver shows its
// version text, any other state the empty text and then the state word; offline the state
// word plus one, which the page shows without a button. A "UkeyActiveX" item always sends
// its state word; items of other types are not reported.
void ReportItem(const CheckConfig& config, DiagnosisState& state, PageSink& page,
                std::int32_t number);

}  // namespace tessaly
