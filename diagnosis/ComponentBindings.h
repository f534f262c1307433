#pragma once

#include "diagnosis/ComponentInstaller.h"
#include "diagnosis/ComponentPlatform.h"
#include "diagnosis/DiagnosisOperations.h"
#include "diagnosis/DiagnosisServices.h"
#include "diagnosis/InstallQueue.h"
#include "diagnosis/InstallThread.h"
#include "diagnosis/InstallWorker.h"

namespace tessaly {

// The component items of the diagnosis bound to one main window's services and one
// platform: detection, the page report, `install` and `installandfix`, and the install
// queue with its worker thread. Everything it is given must outlive it (declare it after
// them): on its way out it drops the queued jobs and waits for a running job to end.
class ComponentBindings {
 public:
  ComponentBindings(const DiagnosisServices& services, const ComponentPlatform& detection,
                    const InstallPlatform& installation);

  // Points the detection, report and install entries of the table at this object.
  void BindTo(DiagnosisOperations& operations);

  // Whether jobs are queued or a worker is still running: a host that waits for the end of
  // a repair waits for this to turn false.
  bool InstallsPending() const;

 private:
  DiagnosisServices services_;
  ComponentPlatform detection_;
  InstallQueue queue_;
  InstallWorkerContext workerContext_;
  ComponentInstaller installer_;
  InstallThread thread_;  // last: it goes first, while everything its worker uses is there
};

}  // namespace tessaly
