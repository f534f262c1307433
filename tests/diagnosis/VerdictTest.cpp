#include "diagnosis/Verdict.h"

#include <gtest/gtest.h>

#include "diagnosis/ItemState.h"
#include "tests/diagnosis/DiagnosisHarness.h"

namespace tessaly {
namespace {

using Calls = std::vector<PageCall>;

void AddItem(CheckConfig& config, const char* type, std::uint32_t state) {
  ComponentItem item;
  item.type = type;
  item.state = state;
  config.items.push_back(item);
}

void SetFlags(CheckConfig& config, bool ok) {
  config.configReady.store(true);
  config.homePageOk = config.registryOk = config.hostsOk = config.networkOk = ok;
  config.dnsOk = config.zoneLevelsOk = config.trustOk = config.rootCertOk = ok;
  config.serviceOk.store(ok);
}

TEST(VerdictTest, EachOfTheNineFlagsFailsTheChecks) {
  bool CheckConfig::* const plainFlags[] = {
      &CheckConfig::homePageOk, &CheckConfig::registryOk,   &CheckConfig::hostsOk,
      &CheckConfig::networkOk,  &CheckConfig::dnsOk,        &CheckConfig::zoneLevelsOk,
      &CheckConfig::trustOk,    &CheckConfig::rootCertOk};
  for (bool CheckConfig::* const flag : plainFlags) {
    CheckConfig config;
    SetFlags(config, true);
    config.*flag = false;
    EXPECT_EQ(ComputeVerdict(config, 3), 1);
  }
  CheckConfig config;
  SetFlags(config, true);
  EXPECT_EQ(ComputeVerdict(config, 3), 0);
  config.serviceOk.store(false);
  EXPECT_EQ(ComputeVerdict(config, 3), 1);

  CheckConfig nothingRead;
  SetFlags(nothingRead, true);
  nothingRead.configReady.store(false);
  EXPECT_EQ(ComputeVerdict(nothingRead, 3), 1) << "checks on no configuration measured nothing";
}

TEST(VerdictTest, TheOptionalFirstItemNeverCounts) {
  CheckConfig config;
  SetFlags(config, true);
  AddItem(config, "ActiveX", 5);
  EXPECT_EQ(ComputeVerdict(config, 3), 0) << "a list of one item: only the flags count";

  AddItem(config, "ActiveX", 0);
  EXPECT_EQ(ComputeVerdict(config, 3), 0);
  config.items[1].state = 1;
  EXPECT_EQ(ComputeVerdict(config, 3), 2);
  SetFlags(config, false);
  EXPECT_EQ(ComputeVerdict(config, 3), 1 | 2);
}

TEST(VerdictTest, DriversCountByTheirLowBitsAndNotForUsersWithoutAKey) {
  struct Case {
    const char* type;
    std::uint32_t state;
    std::uint32_t userType;
    std::int32_t verdict;
  };
  const Case cases[] = {
      {"driver", 5, 2, 0},                                   // no USB key: drivers skipped
      {"driver", 5, 3, 2},
      {"driver", kItemNoKeyAttached, 3, 0},                  // only bit 31
      {"driver", 0xF0000000u, 4, 0},                         // bits 28 to 31
      {"driver", 0x08000000u, 4, 2},                         // bit 27 is a low bit
      {"driver", kItemDisabledInBrowser, 5, 0},
      {"ActiveX", kItemNoKeyAttached, 2, 2},                 // other types: the whole word
      {"UkeyActiveX", kItemDisabledInBrowser, 3, 2},
      {"UActiveX", 0, 2, 0},
  };
  for (const Case& c : cases) {
    CheckConfig config;
    SetFlags(config, true);
    AddItem(config, "ActiveX", 0);
    AddItem(config, c.type, c.state);
    EXPECT_EQ(ComputeVerdict(config, c.userType), c.verdict)
        << c.type << " state " << std::hex << c.state << " user type " << c.userType;
  }
}

TEST(VerdictTest, TheCompletionNoticeShowsOnceAfterACleanVerdict) {
  DiagnosisHarness run;
  run.MakeConfigReady();
  run.SetAllFlags(true);
  run.state.completionNotice = true;

  run.config.trustOk = false;
  run.sequence.fix(7);
  EXPECT_TRUE(run.prompts.Calls().empty()) << "not after a verdict that is not clean";
  EXPECT_TRUE(run.state.completionNotice) << "kept for the next clean verdict";

  run.config.trustOk = true;
  run.sequence.fix(7);
  run.sequence.fix(7);

  EXPECT_EQ(run.prompts.Calls(),
            std::vector<PromptCall>{PromptCall::InfoText(u"   系统设置完成         ")});
  EXPECT_FALSE(run.state.completionNotice);
  EXPECT_EQ(run.page.Calls(), (Calls{Status(2999), Verdict(1), Status(2999), Verdict(0),
                                     Status(2999), Verdict(0)}));
}

TEST(VerdictTest, TheVerdictReadsTheStoredUserType) {
  DiagnosisHarness run;
  run.MakeConfigReady();
  run.SetAllFlags(true);
  run.SetItems({"ActiveX", "driver"});
  run.config.items[1].state = 5;

  run.SetUserType(2);
  run.sequence.fix(7);
  run.SetUserType(3);
  run.sequence.fix(7);

  EXPECT_EQ(run.page.Calls(), (Calls{Status(2999), Verdict(0), Status(2999), Verdict(2)}));
}

}  // namespace
}  // namespace tessaly
