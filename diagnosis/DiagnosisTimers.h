#pragma once

#include <cstdint>

namespace tessaly {

// The timer ids the main window hands to DiagnosisSequence::OnTimer; any other id is
// ignored.
inline constexpr int kFirstTimerId = 1;
inline constexpr int kLastTimerId = 18;

inline constexpr int kTimerPollConfig = 1;        // PollConfigReady
inline constexpr int kTimerStartCheck = 2;        // check(0)
inline constexpr int kTimerDownloadProgress = 3;  // download percent to the page
inline constexpr int kTimerFinalStep = 4;         // components, key probe, verdict
inline constexpr int kTimerUpdateAccepted = 5;    // status "updating"
inline constexpr int kTimerInstallStatus = 6;     // install worker's status to the page
inline constexpr int kTimerPollService = 7;       // PollServiceCheck
inline constexpr int kTimerFirstStep = 8;         // steps 8 to 18 run on timers 8 to 18
inline constexpr int kTimerAfterServiceStep = 14;
inline constexpr int kTimerLastStep = 18;

inline constexpr std::uint32_t kStepDelayMs = 100;
inline constexpr std::uint32_t kFirstConfigPollDelayMs = 500;
inline constexpr std::uint32_t kConfigPollDelayMs = 300;
inline constexpr std::uint32_t kFirstServicePollDelayMs = 500;
inline constexpr std::uint32_t kServicePollDelayMs = 300;
inline constexpr std::uint32_t kDownloadProgressDelayMs = 500;

}  // namespace tessaly
