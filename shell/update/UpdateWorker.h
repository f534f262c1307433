#pragma once

#include <string>

#include "config/CheckConfig.h"
#include "diagnosis/ComponentPlatform.h"
#include "platform/Clock.h"
#include "platform/CodeAdmission.h"
#include "platform/FileAccess.h"
#include "platform/FileOperations.h"
#include "platform/InternetSession.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompts.h"
#include "platform/TimerService.h"
#include "shell/Settings.h"

namespace tessaly {

// The main-window timer by which the worker closes the program once the installer or the
// new program has started: its handler closes the window on the GUI thread, so the worker
// never touches the window itself. Outside the diagnosis timers 1 to 18.
inline constexpr int kTimerCloseForUpdate = 19;

// The platform services the update reaches the system through.
struct UpdatePlatform {
  const Internet& internet;
  const FileWriter& fileWriter;
  const FileOperations& files;
  ProcessLauncher& launcher;
  const Clock& clock;
  // The record's test, on the running program and on the download.
  ComponentPlatform detection;
  // The running program's full path.
  std::u16string programPath;
  // Admits the downloaded program or installer before it is swapped in or run.
  const CodeGate& code;
};

// What the worker shares with the GUI thread: the configuration (complete before the worker
// starts), the settings, the timers it hands back through and the prompts it asks with.
struct UpdateWorkerContext {
  const CheckConfig& config;
  Settings& settings;
  TimerService& timers;
  Prompts& prompts;
  UpdatePlatform platform;
};

// The update thread's body. Records the run in `LastUpdate`; when the program is current,
// hands back to the diagnosis (timer 2, for a user with a key type); otherwise asks (or,
// for a mandatory update, informs), hands back on a refusal (timer 8) or shows "updating"
// (timer 5) and either runs the record's installer or downloads the new program, swaps it
// in and starts it with "/update". The program closes (timer kTimerCloseForUpdate) only
// once the installer or the new program has started; an update that fails on the way
// (no session, a failed download, a refused file, a swap or start that did not happen)
// hands back to the diagnosis as a refusal does (timer 8), with no message.
//
// A downloaded program or installer without the signature of an allowed publisher is
// deleted before anything runs or swaps it, and the update fails like a failed download.
// A downloaded program that fails the record's own test (a truncated, corrupt or wrong
// file) is deleted and nothing is swapped or restarted: it would break the program, or
// fail the same test at every start and be fetched again each time. A swap that Windows
// can only finish at its next start restarts nothing either; the running program stays.
void UpdateWorker(const UpdateWorkerContext& context);

}  // namespace tessaly
