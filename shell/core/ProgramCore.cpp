#include "shell/core/ProgramCore.h"

#include <system_error>

#include "certificates/EnrolmentRepair.h"
#include "config/ConfigWorker.h"
#include "config/PinnedDocumentKeys.h"
#include "platform/AllowedPublishers.h"
#include "platform/WindowsFacts.h"
#include "shell/ZoneZeroSwitch.h"

namespace tessaly {
namespace {

std::int32_t IntegerAt(std::span<const MethodArgument> arguments, std::size_t i) {
  return std::get<std::int32_t>(arguments[i]);
}
const std::u16string& TextAt(std::span<const MethodArgument> arguments, std::size_t i) {
  return std::get<std::u16string>(arguments[i]);
}

constexpr std::u16string_view kMainTabs = u"one";
constexpr std::int32_t kMainTabCount = 5;
constexpr std::int32_t kSummaryTab = 1;
constexpr std::int32_t kQuickLinksTab = 5;
constexpr std::int32_t kShowLayer = 1;

// What the component items and the program's own file are detected with.
ComponentPlatform DetectionOf(const ProgramPlatform& platform) {
  return ComponentPlatform{platform.registry,  platform.codePages, platform.wideEnvironment,
                           platform.paths,     platform.redirection, platform.versions,
                           platform.fileReader, platform.usb};
}

}  // namespace

ProgramCore::ProgramCore(const ProgramPlatform& platform, const ProgramHost& host)
    : platform_(platform),
      host_(host),
      settings_(OpenSettings(platform.registry, platform.clock, platform.programPath).settings),
      codeGate_(platform.codeSignatures, platform.fileWriter, AllowedPublishers()),
      checks_(config_, CheckPlatform{platform.registry, platform.codePages, platform.random,
                                     platform.wideEnvironment, platform.wholeFiles,
                                     platform.resolver, platform.internet, platform.connection,
                                     platform.zones, platform.sslCache,
                                     platform.certificateStores, platform.resources}),
      diagnosis_{config_, state_, operations_, host.timers, host.page, settings_, host.prompts},
      sequence_(diagnosis_),
      autostart_(platform.registry, platform.logonTasks,
                 IsVistaOrLater(platform.systemFacts.VersionFacts()), platform.programPath),
      settingsMethods_(settings_, autostart_, state_, sequence_, operations_, host.page),
      usbKeys_({config_, settings_, host.page, platform.modules, platform.clock,
                platform.programPath}),
      selfUpdate_({config_, settings_, host.timers, host.prompts,
                   UpdatePlatform{platform.internet, platform.fileWriter, platform.fileOperations,
                                  platform.launcher, platform.clock,
                                  DetectionOf(platform), platform.programPath, codeGate_}}),
      components_(diagnosis_,
                  DetectionOf(platform),
                  InstallPlatform{platform.internet, platform.fileWriter, platform.fileReader,
                                  platform.codePages, platform.launcher, codeGate_}) {
  checks_.BindTo(operations_);
  components_.BindTo(operations_);
  usbKeys_.BindTo(operations_);
  selfUpdate_.BindTo(operations_, shellOperations_, [this] { return IsConfigurationSettled(); });
  shellOperations_.checkAndFixCertEnroll = [this] {
    CheckAndFixCertEnroll({platform_.systemFacts, platform_.wideEnvironment, platform_.paths,
                           platform_.registry, platform_.internet, platform_.fileWriter,
                           platform_.launcher, host_.prompts, codeGate_, platform_.programPath});
  };
}

ProgramCore::~ProgramCore() {
  if (configWorker_.joinable()) {
    configWorker_.join();
  }
}

void ProgramCore::StartConfigWorker() {
  if (configWorker_.joinable()) {
    return;
  }
  try {
    configWorker_ = std::thread([this] {
      const ConfigPlatform platform{platform_.codePages, platform_.fileSystem,
                                    platform_.environment, platform_.systemFacts};
      const ConfigWorkerServices services{.internet = platform_.internet,
                                          .registry = platform_.registry,
                                          .resources = platform_.resources,
                                          .platform = platform,
                                          .applicationName = platform_.applicationName,
                                          .pinnedKeys = PinnedDocumentKeys(),
                                          .acceptedSequence = &documentSequence_};
      ConfigWorker(services, {config_, state_.online, state_.configWorkerRunning});
    });
  } catch (const std::system_error&) {
    // No worker: the diagnosis runs on the configuration as it is (empty).
    state_.configWorkerRunning.store(false, std::memory_order_release);
  }
}

void ProgramCore::OnPageLoaded() {
  RemoveZoneZeroSwitch(platform_.registry);
  sequence_.OnPageLoaded(OsStepText(platform_.systemFacts, platform_.registry, host_.prompts),
                         InternetExplorerVersion(platform_.registry));
}

void ProgramCore::OnTimer(int id) {
  if (id == kTimerCloseForUpdate) {
    host_.timers.Cancel(id);
    host_.window.Close();
    return;
  }
  sequence_.OnTimer(id);
}

bool ProgramCore::WorkersRunning() const {
  return state_.configWorkerRunning.load(std::memory_order_acquire) ||
         checks_.ServiceCheckRunning() || components_.InstallsPending() || selfUpdate_.Running();
}

bool ProgramCore::StartsFirstDiagnosis() const {
  return config_.configReady.load(std::memory_order_acquire) &&
         settings_.ReadDword(kUserType) != 0;
}

bool ProgramCore::IsConfigurationSettled() const {
  return tessaly::IsConfigurationSettled(diagnosis_);
}

bool ProgramCore::Call(const ExternalMethod& method, std::span<const MethodArgument> arguments,
                       std::int32_t* result) {
  if (!MatchesParameters(method, arguments)) {
    return false;
  }
  std::int32_t ignored = 0;
  Route(method, arguments, result != nullptr ? result : &ignored);
  return true;
}

void ProgramCore::Route(const ExternalMethod& method, std::span<const MethodArgument> arguments,
                        std::int32_t* result) {
  switch (method.id) {
    case kCheatRegistry:
      if (std::get<bool>(arguments[0])) {
        SetZoneZeroSwitch(platform_.registry);
      } else {
        RemoveZoneZeroSwitch(platform_.registry);
      }
      return;
    case kCheckUkeySimple: operations_.probeUsbKey(); return;
    case kMessageBox: host_.window.ShowMessage(TextAt(arguments, 0), TextAt(arguments, 1)); return;
    case kDownloadingBox:
      shellOperations_.downloadingBox(IntegerAt(arguments, 0), TextAt(arguments, 1),
                                      TextAt(arguments, 2));
      return;
    case kCheckAndFixCertEnroll: shellOperations_.checkAndFixCertEnroll(); return;
    case kInstall: operations_.install(IntegerAt(arguments, 0)); return;
    case kFix: sequence_.fix(IntegerAt(arguments, 0)); return;
    case kCheck: sequence_.check(IntegerAt(arguments, 0)); return;
    case kInstallAndFix: operations_.installAndFix(); return;
    case kStop: return;
    case kExit: Exit(); return;
    case kMini: host_.window.Minimise(); return;
    case kSite: state_.completionNotice = true; return;
    case kChecking: state_.checkAfterUserType = true; return;
    case kSetUserType: settingsMethods_.setusertype(IntegerAt(arguments, 0)); return;
    case kGetUserType: *result = settingsMethods_.getusertype(); return;
    case kSetUpdateType: settingsMethods_.setupdatetype(IntegerAt(arguments, 0)); return;
    case kGetUpdateType: *result = settingsMethods_.getupdatetype(); return;
    case kSetFirst: settingsMethods_.setFirst(IntegerAt(arguments, 0)); return;
    case kGetFirst: *result = settingsMethods_.getFirst(); return;
    case kSetWithWindows: settingsMethods_.setwithwindows(IntegerAt(arguments, 0)); return;
    case kGetWithWindows: *result = settingsMethods_.getwithwindows(); return;
    case kSetCloseType: settingsMethods_.setclosetype(IntegerAt(arguments, 0)); return;
    case kGetCloseType: *result = settingsMethods_.getclosetype(); return;
    case kOpenUrl: platform_.links.Open(TextAt(arguments, 0)); return;
    case kUpdate: shellOperations_.update(); return;
    default: return;
  }
}

void ProgramCore::Exit() {
  if (settings_.ReadDword(kCloseType) == 0) {
    host_.window.Hide();
  } else {
    host_.window.Close();
  }
}

void ProgramCore::RestoreWindow() {
  host_.window.Restore();
  if (settings_.ReadDword(kUserType) == 0) {
    host_.page.ShowDivc(kShowLayer);
  }
}

void ProgramCore::OnTrayCommand(std::uint32_t command) {
  switch (command) {
    case kTrayWizard:
      RestoreWindow();
      host_.page.ShowDivc(kShowLayer);
      return;
    case kTrayRecheck:
      RestoreWindow();
      if (settings_.ReadDword(kUserType) != 0) {
        host_.page.setTab(kMainTabs, kSummaryTab, kMainTabCount);
        sequence_.check(0);
      }
      return;
    case kTrayQuickLinks:
      RestoreWindow();
      host_.page.setTab(kMainTabs, kQuickLinksTab, kMainTabCount);
      return;
    case kTrayExit:
      host_.window.Close();
      return;
    default:
      return;
  }
}

}  // namespace tessaly
