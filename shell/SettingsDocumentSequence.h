#pragma once

#include "config/DocumentAcceptance.h"
#include "shell/Settings.h"

namespace tessaly {

// The last accepted document sequence, kept as the settings value `DocumentSequence`. An
// absent or unreadable value reads as 0, which refuses no signed document.
class SettingsDocumentSequence final : public AcceptedSequence {
 public:
  explicit SettingsDocumentSequence(Settings& settings) : settings_(settings) {}
  std::uint32_t Last() const override { return settings_.ReadDword(kDocumentSequence); }
  void Remember(std::uint32_t sequence) override { settings_.WriteDword(kDocumentSequence, sequence); }

 private:
  Settings& settings_;
};

}  // namespace tessaly
