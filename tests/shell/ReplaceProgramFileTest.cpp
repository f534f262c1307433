#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell/update/ReplaceProgramFile.h"
#include "tests/fakes/FakeProgramFolder.h"

namespace tessaly {
namespace {

using Files = std::map<std::u16string, std::string>;
using Restart = FakeProgramFolder::RestartAction;

const std::u16string kTarget = u"C:\\Tessaly\\Tessaly.exe";
const std::u16string kOld = kTarget + u".old";
const std::u16string kStaged = kTarget + u".new";
const std::u16string kSource = u"C:\\Temp\\DownTmp\\Tessaly.exe";
const std::string kOldProgram = "old program bytes";
const std::string kNewProgram = "new program, complete";

struct Branch {
  const char* name;
  std::function<void(FakeProgramFolder&)> arrange;
  Replacement result;
  Files after;
  std::vector<Restart> atRestart;
};

void Installed(FakeProgramFolder& folder) {
  folder.files = {{kTarget, kOldProgram}, {kSource, kNewProgram}};
}
void InstalledAndRunning(FakeProgramFolder& folder) {
  Installed(folder);
  folder.running.insert(kTarget);
}

TEST(ReplaceProgramFileTest, EveryBranchEndsWithTheNewFileInPlaceOrLeftToTheRestart) {
  const std::vector<Branch> branches = {
      {"target missing", [](FakeProgramFolder& f) { f.files = {{kSource, kNewProgram}}; },
       Replacement::Complete, {{kTarget, kNewProgram}}, {}},
      {"target not running: replaced in one step", Installed, Replacement::Complete,
       {{kTarget, kNewProgram}}, {}},
      {"target running: moved away, its copy deleted at restart", InstalledAndRunning,
       Replacement::Complete, {{kTarget, kNewProgram}, {kOld, kOldProgram}}, {{kOld, u""}}},
      {"a stale copy of an earlier update goes first",
       [](FakeProgramFolder& f) { InstalledAndRunning(f); f.files[kOld] = "stale"; },
       Replacement::Complete, {{kTarget, kNewProgram}, {kOld, kOldProgram}}, {{kOld, u""}}},
      {"running program moved away cannot be deleted at restart either",
       [](FakeProgramFolder& f) { InstalledAndRunning(f); f.restartSchedulingRefused = true; },
       Replacement::Complete, {{kTarget, kNewProgram}, {kOld, kOldProgram}}, {}},
      {"rename of the running program refused",
       [](FakeProgramFolder& f) { InstalledAndRunning(f); f.refusedRenameSources = {kTarget}; },
       Replacement::AtRestart,
       {{kTarget, kOldProgram}, {kStaged, kNewProgram}, {kSource, kNewProgram}},
       {{kStaged, kTarget}}},
      {"new file refused its name: the program is put back",
       [](FakeProgramFolder& f) { InstalledAndRunning(f); f.refusedRenameSources = {kStaged}; },
       Replacement::AtRestart,
       {{kTarget, kOldProgram}, {kStaged, kNewProgram}, {kSource, kNewProgram}},
       {{kStaged, kTarget}}},
      {"copy failing: the download itself is moved in at restart",
       [](FakeProgramFolder& f) { InstalledAndRunning(f); f.failingCopyTargets = {kStaged}; },
       Replacement::AtRestart, {{kTarget, kOldProgram}, {kSource, kNewProgram}},
       {{kSource, kTarget}}},
      {"copy failing and no restart possible",
       [](FakeProgramFolder& f) {
         InstalledAndRunning(f);
         f.failingCopyTargets = {kStaged};
         f.restartSchedulingRefused = true;
       },
       Replacement::Failed, {{kTarget, kOldProgram}, {kSource, kNewProgram}}, {}},
      {"rename refused and no restart possible: nothing is left beside the program",
       [](FakeProgramFolder& f) {
         InstalledAndRunning(f);
         f.refusedRenameSources = {kTarget};
         f.restartSchedulingRefused = true;
       },
       Replacement::Failed, {{kTarget, kOldProgram}, {kSource, kNewProgram}}, {}},
  };
  for (const Branch& branch : branches) {
    SCOPED_TRACE(branch.name);
    FakeProgramFolder folder;
    branch.arrange(folder);
    EXPECT_EQ(ReplaceProgramFile(folder, kTarget, kSource), branch.result);
    EXPECT_EQ(folder.files, branch.after);
    EXPECT_EQ(folder.atRestart, branch.atRestart);
  }
}

// The swap stopped for good after each of its changes, as by a power loss or a kill: the
// program's name must still hold a whole program, the old or the new one. The one instant
// Windows leaves no other way is between moving the running program away and moving the new
// file in; both are then whole beside the name.
TEST(ReplaceProgramFileTest, StoppedAfterAnyStepTheProgramNameHoldsAWholeProgram) {
  const std::vector<std::pair<const char*, void (*)(FakeProgramFolder&)>> starts = {
      {"not running", Installed}, {"running", InstalledAndRunning}};
  for (const auto& [name, arrange] : starts) {
    FakeProgramFolder whole;
    arrange(whole);
    ReplaceProgramFile(whole, kTarget, kSource);
    int between = 0;
    for (int stop = 0; stop <= whole.changes; ++stop) {
      SCOPED_TRACE(std::string(name) + ", stopped after change " + std::to_string(stop));
      FakeProgramFolder folder;
      arrange(folder);
      folder.stopAfterChanges = stop;
      ReplaceProgramFile(folder, kTarget, kSource);
      const auto program = folder.files.find(kTarget);
      if (program == folder.files.end()) {
        ++between;
        EXPECT_EQ(folder.files.at(kOld), kOldProgram);
        EXPECT_EQ(folder.files.at(kStaged), kNewProgram);
        continue;
      }
      EXPECT_TRUE(program->second == kOldProgram || program->second == kNewProgram)
          << "half a program: " << program->second;
    }
    EXPECT_EQ(between, arrange == InstalledAndRunning ? 1 : 0);
  }
}

}  // namespace
}  // namespace tessaly
