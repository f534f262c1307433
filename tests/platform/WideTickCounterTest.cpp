#include "platform/portable/WideTickCounter.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

namespace tessaly {
namespace {

// The source is a plain function pointer, as GetTickCount is, so the script lives here.
std::vector<std::uint32_t> scriptedTicks;
std::size_t nextScriptedTick = 0;
std::uint32_t ScriptedTick() { return scriptedTicks.at(nextScriptedTick++); }

constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;

struct TickScript {
  const char* name;
  std::vector<std::uint32_t> readings;
  std::vector<std::uint64_t> counts;
};

TEST(WideTickCounter, WidensReadingsAcrossWraps) {
  const TickScript scripts[] = {
      {"no wrap", {5, 1000, 1000, 70'000}, {5, 1000, 1000, 70'000}},
      {"one wrap",
       {0xFFFF'FFF0, 0x10, 0x20},
       {0xFFFF'FFF0, kWrap + 0x10, kWrap + 0x20}},
      {"wrap onto zero, then on", {0xFFFF'FFFF, 0, 1}, {0xFFFF'FFFF, kWrap, kWrap + 1}},
      {"two wraps in half steps",
       {0xFFFF'FFFF, 0, 0x8000'0000, 0xFFFF'FFFE, 3},
       {0xFFFF'FFFF, kWrap, kWrap + 0x8000'0000, 2 * kWrap - 2, 2 * kWrap + 3}},
      {"longest gap, one millisecond short of a whole wrap", {10, 9}, {10, kWrap + 9}},
      {"first reading zero", {0, 0, 1}, {0, 0, 1}},
  };
  for (const TickScript& script : scripts) {
    scriptedTicks = script.readings;
    nextScriptedTick = 0;
    WideTickCounter counter(&ScriptedTick);
    std::vector<std::uint64_t> counts;
    for (std::size_t i = 0; i < script.readings.size(); ++i) {
      counts.push_back(counter.Now());
    }
    EXPECT_EQ(counts, script.counts) << script.name;
  }
}

// A clock shared by the threads: every reading advances true time by a sixteenth of a
// wrap, so the 32-bit source wraps every sixteen readings and each thread sees many wraps.
// A reader waits a little for another reading before it uses its own, so the others
// overtake it often.
std::atomic<std::uint64_t> trueTime{0};
constexpr std::uint64_t kStep = kWrap / 16 + 7;
std::uint32_t RacingTick() {
  const std::uint64_t reading = trueTime.fetch_add(kStep) + kStep;
  for (int spin = 0; spin < 2000 && trueTime.load() == reading; ++spin) {
  }
  return static_cast<std::uint32_t>(reading);
}

TEST(WideTickCounter, ThreadsRacingAcrossWrapsGetTrueTimeAndNeverGoBack) {
  WideTickCounter counter(&RacingTick);
  constexpr int kThreads = 4;
  constexpr int kCalls = 10000;
  std::vector<int> faults(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&counter, &faults, t] {
      std::uint64_t previous = 0;
      for (int i = 0; i < kCalls; ++i) {
        const std::uint64_t before = trueTime.load();
        const std::uint64_t count = counter.Now();
        const std::uint64_t after = trueTime.load();
        // The count is a reading taken during the call, so it lies between the two
        // looks at true time; a wrongly widened count would be off by whole wraps.
        if (count <= before || count > after || count < previous) {
          ++faults[static_cast<std::size_t>(t)];
        }
        previous = count;
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(faults, std::vector<int>(kThreads, 0));
  const std::uint64_t last = counter.Now();
  EXPECT_EQ(last, trueTime.load());
  EXPECT_GT(trueTime.load(), std::uint64_t{kThreads} * kCalls * kWrap / 16);
}

}  // namespace
}  // namespace tessaly
