#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <thread>

#include "config/CheckConfig.h"
#include "diagnosis/CheckBindings.h"
#include "diagnosis/ComponentBindings.h"
#include "diagnosis/DiagnosisOperations.h"
#include "diagnosis/DiagnosisSequence.h"
#include "diagnosis/DiagnosisState.h"
#include "diagnosis/PageSink.h"
#include "platform/CertificateStores.h"
#include "platform/Clock.h"
#include "platform/CodeAdmission.h"
#include "platform/CodePages.h"
#include "platform/CodeSignatures.h"
#include "platform/ConnectionState.h"
#include "platform/Environment.h"
#include "platform/FileAccess.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemRedirection.h"
#include "platform/FileVersion.h"
#include "platform/InternetSession.h"
#include "platform/LinkOpener.h"
#include "platform/LogonTasks.h"
#include "platform/ModuleLoader.h"
#include "platform/ModuleResources.h"
#include "platform/PathProbe.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "platform/Resolver.h"
#include "platform/SeededRandom.h"
#include "platform/SslCacheFunctions.h"
#include "platform/SystemFacts.h"
#include "platform/TimerService.h"
#include "platform/UrlZones.h"
#include "platform/UsbDriver.h"
#include "platform/WholeFiles.h"
#include "platform/WideEnvironment.h"
#include "shell/Autostart.h"
#include "shell/ExternalMethodTable.h"
#include "shell/ProgramWindow.h"
#include "shell/Settings.h"
#include "shell/SettingsDocumentSequence.h"
#include "shell/core/SettingsPageMethods.h"
#include "shell/ShellOperations.h"
#include "shell/update/SelfUpdate.h"
#include "usbkey/UsbKeyBindings.h"

namespace tessaly {

// Every system service the program reaches; the shell owns them, and they outlive the core.
struct ProgramPlatform {
  const Registry& registry;
  const Clock& clock;
  const CodePages& codePages;
  const FileSystem& fileSystem;
  const Environment& environment;
  const SystemFacts& systemFacts;
  const ModuleResources& resources;
  const ConnectionState& connection;
  const Internet& internet;
  SeededRandom& random;
  const WideEnvironment& wideEnvironment;
  const WholeFiles& wholeFiles;
  const Resolver& resolver;
  const UrlZoneServices& zones;
  const SslCacheLibraries& sslCache;
  CertificateStores& certificateStores;
  LogonTasks& logonTasks;
  const LinkOpener& links;
  // What the component items are detected and installed with.
  const PathProbe& paths;
  const FileSystemRedirection& redirection;
  const FileVersionReader& versions;
  const FileReader& fileReader;
  const FileWriter& fileWriter;
  const UsbDriver& usb;
  ProcessLauncher& launcher;
  // Loads the key adapters the USB-key probe binds.
  const ModuleLoader& modules;
  // Swaps the program file for a newer one (the self-update).
  const FileOperations& fileOperations;
  // Checks the signatures of downloaded code before anything runs or places it.
  const CodeSignatures& codeSignatures;
  // The program file's full path, and its name without extension, which names the key of
  // the administrator's document override.
  std::u16string programPath;
  std::u16string applicationName;
};

// What a host supplies: its timers (delivered back through OnTimer), its realisation of
// the page, its prompts and its window. All outlive the core.
struct ProgramHost {
  TimerService& timers;
  PageSink& page;
  Prompts& prompts;
  ProgramWindow& window;
};

// The tray menu's commands (menu 140).
enum TrayCommand : std::uint32_t {
  kTrayWizard = 32777,
  kTrayRecheck = 32778,
  kTrayQuickLinks = 32779,
  kTrayExit = 32780,
};

// The program without its window: the configuration and its worker, the diagnosis state
// and sequence, the checks, the settings, start at logon and the external method table.
// Composed once; the real window, the development bridge and the console front end are
// hosts of it. Everything but the configuration worker runs on the GUI thread.
class ProgramCore final : public ExternalMethodTarget {
 public:
  // Opens the settings key (creating it with its defaults on the first run) and binds the
  // operation table.
  ProgramCore(const ProgramPlatform& platform, const ProgramHost& host);
  // Waits for the configuration worker, which writes into this object.
  ~ProgramCore();
  ProgramCore(const ProgramCore&) = delete;
  ProgramCore& operator=(const ProgramCore&) = delete;

  // Starts the configuration worker once; without a thread the program runs on the empty
  // configuration.
  void StartConfigWorker();
  // The page is complete: removes the zone-0 switch, shows the OS, browser and connection
  // and waits for the configuration.
  void OnPageLoaded();
  // One of the diagnosis timers (1 to 18) or the self-update's closing timer has fired.
  void OnTimer(int id);
  // Whether the configuration worker is done with the configuration (DiagnosisServices.h).
  bool IsConfigurationSettled() const;
  // Whether the start-up hand-over starts the first diagnosis by itself: the configuration
  // has come and the user has chosen a key type. A host that stands in for the page's check
  // button must leave the start to the program then, or a second chain would run on the
  // same timers (the hand-over clears `checking` when it takes the configuration over).
  bool StartsFirstDiagnosis() const;

  // Runs a page method with arguments of its declared types. Answers false, running
  // nothing, when the count or a type does not match; `result` receives a getter's value.
  bool Call(const ExternalMethod& method, std::span<const MethodArgument> arguments,
            std::int32_t* result) override;
  bool Call(const ExternalMethod& method, std::span<const MethodArgument> arguments) {
    return Call(method, arguments, nullptr);
  }

  // Shows the window and asks for the key kind when none was ever chosen.
  void RestoreWindow();
  void OnTrayCommand(std::uint32_t command);

  DiagnosisOperations& operations() { return operations_; }
  ShellOperations& shellOperations() { return shellOperations_; }
  DiagnosisState& state() { return state_; }
  // Whether installs are queued or running: a host that waits for the end of a repair
  // waits for this to turn false.
  bool InstallsPending() const { return components_.InstallsPending(); }
  // Whether a worker still runs: the configuration fetch, the service check, an install or
  // the self-update. A host that ends the program waits for this to turn false, and must
  // not destroy the core while it is true (the workers use it).
  bool WorkersRunning() const;
  Settings& settings() { return settings_; }

 private:
  void Route(const ExternalMethod& method, std::span<const MethodArgument> arguments,
             std::int32_t* result);
  void Exit();

  ProgramPlatform platform_;
  ProgramHost host_;
  CheckConfig config_;
  DiagnosisState state_;
  DiagnosisOperations operations_;
  ShellOperations shellOperations_;
  Settings settings_;
  SettingsDocumentSequence documentSequence_{settings_};
  // The gate every downloaded piece of code passes, with this build's publishers.
  CodeGate codeGate_;
  CheckBindings checks_;
  DiagnosisServices diagnosis_;
  DiagnosisSequence sequence_;
  Autostart autostart_;
  SettingsPageMethods settingsMethods_;
  UsbKeyBindings usbKeys_;
  std::thread configWorker_;
  SelfUpdate selfUpdate_;
  // Last: its install worker ends first, while everything the worker uses is still there.
  ComponentBindings components_;
};

}  // namespace tessaly
