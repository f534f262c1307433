#pragma once

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "diagnosis/DiagnosisSequence.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScriptedPrompts.h"
#include "tests/fakes/FakeTimerService.h"
#include "tests/fakes/RecordingPageSink.h"

namespace tessaly {

// A check with a repair flag, modelled as a piece of the PC that is healthy or not and
// that a repair may or may not mend.
struct ScriptedCheck {
  bool healthy = true;
  bool repairable = true;
};

// How the service worker behaves when step 13 starts it.
enum class ServiceWorkerMode {
  AnswersAtOnce,   // stores its result before the start returns
  AnswersLater,    // the test finishes it with FinishServiceWorker
  CannotStart,     // no thread could be created
  RealThread,      // a real thread stores the result
};

// The diagnosis wired to fakes: a recording page, fake timers that deliver to the
// sequence, a settings key in a fake registry, scripted prompts, and every operation of
// the table scripted and logged (`log`, in call order).
class DiagnosisHarness {
 public:
  DiagnosisHarness();
  ~DiagnosisHarness();
  DiagnosisHarness(const DiagnosisHarness&) = delete;
  DiagnosisHarness& operator=(const DiagnosisHarness&) = delete;

  // What the operations answer; tests change these before acting.
  ScriptedCheck registry, homePage, hosts, zoneLevels, trustedSites;
  bool dnsResolves = true;
  bool connected = true;
  bool rootInstalled = true;
  bool rootInstallWorks = true;
  bool sslCacheClears = true;
  bool serviceReachable = true;
  ServiceWorkerMode serviceMode = ServiceWorkerMode::AnswersAtOnce;
  bool updateDue = false;
  // The states the detection gives the items, by position (missing ones stay as they are).
  std::vector<std::uint32_t> detectedStates;
  std::vector<std::string> log;

  CheckConfig config;
  DiagnosisState state;
  DiagnosisOperations operations;
  FakeTimerService timers;
  RecordingPageSink page;
  FakeRegistry fakeRegistry;
  FakeClock clock;
  Settings settings;
  FakeScriptedPrompts prompts;
  DiagnosisSequence sequence;

  // Items of the given types, in state "not detected"; item 1 is the optional one.
  void SetItems(const std::vector<std::string>& types);
  void SetUserType(std::uint32_t userType);
  // Marks the configuration as parsed and the worker as ended.
  void MakeConfigReady();
  // Sets all nine result flags.
  void SetAllFlags(bool ok);
  void FinishServiceWorker(bool reachable);
  void JoinServiceWorker();

 private:
  void BindOperations();
  bool RunScripted(ScriptedCheck& check, const char* name, bool repair);

  std::thread serviceThread_;
};

// What the page receives at the start of a step.
std::vector<PageCall> StepStart(std::int32_t progress, std::int32_t status);
// A check item reported as normal or abnormal.
PageCall Item(std::int32_t item, bool ok);
PageCall Status(std::int32_t code);
PageCall Verdict(std::int32_t verdict);
// Joins transcript pieces.
std::vector<PageCall> Concat(std::initializer_list<std::vector<PageCall>> parts);

inline constexpr char16_t kCheckTimeText[] = u"2018-05-04 09:03:07";

}  // namespace tessaly
