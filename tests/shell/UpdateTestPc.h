#pragma once

#include <string>

#include "shell/update/UpdateWorker.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeCodeSignatures.h"
#include "tests/fakes/FakeCodePages.h"
#include "tests/fakes/FakeFileStore.h"
#include "tests/fakes/FakeFileView.h"
#include "tests/fakes/FakeInternet.h"
#include "tests/fakes/FakeProcessLauncher.h"
#include "tests/fakes/FakeProgramFolder.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeTimerService.h"
#include "tests/fakes/FakeUsbDriver.h"
#include "tests/fakes/FakeWideEnvironment.h"

namespace tessaly {

// One PC running Tessaly 1.0.0.4 from C:\Tessaly (the file in use), and a download server:
// everything the update worker reaches, with the configuration and settings it shares.
struct UpdateTestPc {
  static constexpr std::u16string_view kProgram = u"C:\\Tessaly\\Tessaly.exe";
  static constexpr std::uint32_t kVersionMS = 0x00010000;  // 1.0
  static constexpr std::uint32_t kProgramVersionLS = 4;    // .0.4

  FakeRegistry registry;
  FakeClock clock;
  FakeCodePages codePages;
  FakeWideEnvironment environment;
  FakeFileView view;
  FakeFileStore store;
  FakeUsbDriver usb;
  FakeInternet internet;
  FakeProgramFolder folder;
  FakeProcessLauncher launcher;
  FakeTimerService timers;
  PermissiveCodeGate code{store};
  CheckConfig config;
  Settings settings = OpenSettings(registry, clock, kProgram).settings;

  UpdateTestPc() {
    const std::u16string program(kProgram);
    view.entries[program] = {.versionMS = kVersionMS, .versionLS = kProgramVersionLS};
    folder.files[program] = "old program";
    folder.running.insert(program);
  }
  UpdateWorkerContext Context(Prompts& prompts) {
    return {config, settings, timers, prompts,
            UpdatePlatform{internet, store, folder, launcher, clock,
                           ComponentPlatform{registry, codePages, environment, view, view, view,
                                             store, usb},
                           std::u16string(kProgram), code.gate}};
  }
};

}  // namespace tessaly
