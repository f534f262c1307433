#pragma once

#include "config/CheckConfig.h"
#include "diagnosis/DiagnosisOperations.h"
#include "diagnosis/DiagnosisState.h"
#include "diagnosis/PageSink.h"
#include "platform/TimerService.h"
#include "platform/Prompts.h"
#include "shell/Settings.h"

namespace tessaly {

// What the diagnosis works on and through; everything belongs to the main window and
// outlives the diagnosis objects.
struct DiagnosisServices {
  CheckConfig& config;
  DiagnosisState& state;
  const DiagnosisOperations& operations;
  TimerService& timers;
  PageSink& page;
  Settings& settings;
  Prompts& prompts;
};

// Whether the configuration may be read on the GUI thread: it is complete (configReady),
// or the configuration worker has ended (or never ran) and nothing writes it any more.
//
// The page may call `check` and `fix` before the worker is done; while it may still be
// writing the lists, those calls (and the timers that walk the configuration) are ignored
// rather than read a half-built configuration. Once the worker has ended without a sound
// document, `check` and `fix` work on the empty configuration.
bool IsConfigurationSettled(const DiagnosisServices& services);

// The page calls every step and repair makes.
void SendProgress(PageSink& page, std::int32_t percent);
void SendStatus(PageSink& page, std::int32_t code);
// Check item `item` as normal (0) when `ok`, else abnormal (1).
void ReportCheckItem(PageSink& page, std::int32_t item, bool ok);

}  // namespace tessaly
