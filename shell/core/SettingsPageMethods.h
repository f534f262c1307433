#pragma once

#include <cstdint>

#include "diagnosis/DiagnosisOperations.h"
#include "diagnosis/DiagnosisSequence.h"
#include "diagnosis/DiagnosisState.h"
#include "diagnosis/PageSink.h"
#include "shell/Autostart.h"
#include "shell/Settings.h"

namespace tessaly {

// The page methods of the options layer and of the first-run question: the settings
// values and start at logon. Every failure is swallowed; the page shows what it reads back.
class SettingsPageMethods {
 public:
  SettingsPageMethods(Settings& settings, Autostart& autostart, DiagnosisState& state,
                      DiagnosisSequence& sequence, const DiagnosisOperations& operations,
                      PageSink& page);

  std::int32_t getusertype() const;
  std::int32_t getupdatetype() const;
  std::int32_t getFirst() const;
  std::int32_t getclosetype() const;
  std::int32_t getwithwindows() const;

  // Stores the key kind, lets the page redraw it, then starts the check the first-run
  // question asked for, or else, for 1, installs component item 4.
  void setusertype(std::int32_t type);
  // Only the periods 0, 1 and 2 are stored.
  void setupdatetype(std::int32_t period);
  void setFirst(std::int32_t value);
  void setclosetype(std::int32_t type);
  // 1 creates the start-at-logon entry when there is none; anything else removes one.
  void setwithwindows(std::int32_t on);

 private:
  std::int32_t Read(std::u16string_view name) const;

  Settings& settings_;
  Autostart& autostart_;
  DiagnosisState& state_;
  DiagnosisSequence& sequence_;
  const DiagnosisOperations& operations_;
  PageSink& page_;
};

}  // namespace tessaly
