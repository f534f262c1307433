#pragma once

#include "diagnosis/DiagnosisState.h"
#include "diagnosis/InstallQueue.h"
#include "platform/CodeAdmission.h"
#include "platform/CodePages.h"
#include "platform/FileAccess.h"
#include "platform/InternetSession.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompts.h"
#include "platform/TimerService.h"

namespace tessaly {

// The platform services the install worker downloads and runs through.
struct InstallPlatform {
  const Internet& internet;
  const FileWriter& fileWriter;
  const FileReader& fileReader;  // for the digest of a download
  const CodePages& codePages;
  ProcessLauncher& launcher;
  // Admits a download before anything runs, registers or keeps it.
  const CodeGate& code;
};

// What the worker shares with the GUI thread: the queue, the atomics of the diagnosis state
// and the timers it arms (3 is armed by whoever starts it; it arms 4 and 6).
struct InstallWorkerContext {
  InstallQueue& queue;
  DiagnosisState& state;
  TimerService& timers;
  Prompts& prompts;
  InstallPlatform platform;
};

// The worker's thread body: runs the queued jobs one after the other until the queue is
// empty. For each job: status "downloading", the download, which replaces the file at the
// job's local path only when complete, matching the job's digests, if it has any, and, when
// it is code, carrying the signature of an allowed publisher (an installed file in use stays
// and the download fails), status "installing", the
// installer or the registration, a final step through timer 4 when a command started, and
// status "done". A failed download or a command that cannot start asks whether to go on;
// "stop" drops the remaining jobs, so the next install starts a worker on its own jobs.
void InstallWorker(const InstallWorkerContext& context);

}  // namespace tessaly
