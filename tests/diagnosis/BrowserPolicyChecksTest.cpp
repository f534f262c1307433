#include "diagnosis/BrowserPolicyChecks.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "diagnosis/HexText.h"
#include "platform/RegistryValues.h"
#include "tests/fakes/FakeCodePages.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/ScriptedRandom.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kEmulationKey =
    u"Software\\Microsoft\\Internet Explorer\\BrowserEmulation";
constexpr std::u16string_view kListKey =
    u"Software\\Microsoft\\Internet Explorer\\BrowserEmulation\\ClearableListData";
constexpr std::u16string_view kListKeyLower =
    u"software\\microsoft\\internet explorer\\browseremulation\\clearablelistdata";
constexpr std::u16string_view kSystemPolicyKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr std::u16string_view kHomePagePolicyKey =
    u"Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";

constexpr std::string_view kEmptyList =
    "411F00005308ADBA" "00000000" "00000000" "01000000" "00000000";
// The list for a.cn alone, as the program writes it.
constexpr std::string_view kListWithACn =
    "411F00005308ADBA" "01000000" "26000000" "01000000" "01000000"
    "0C000000" "0000000000" "84CD01" "01000000" "0400" "61002E0063006E00";

RegistryValue Binary(std::string_view hex) { return {RegistryType::Binary, BytesOfHexText(hex)}; }

class BrowserPolicyChecksTest : public testing::Test {
 protected:
  void SetDomains(std::vector<std::string> domains) {
    ConfigGroup group{.type = "compatibility"};
    for (std::string& domain : domains) {
      group.entries.push_back({.text = std::move(domain)});
    }
    config.groups.push_back(std::move(group));
  }
  void StoreList(RegistryValue value) {
    registry.SetValue(RegistryRoot::CurrentUser, kListKey, u"UserFilter", std::move(value));
  }
  const RegistryValue* StoredList() const {
    return registry.FindValue(RegistryRoot::CurrentUser, kListKey, u"UserFilter");
  }
  bool CheckList(bool repair) {
    config.registryOk = !repair;  // the check must write the flag either way
    const bool result = CheckCompatibilityList(config, platform, repair);
    EXPECT_EQ(config.registryOk, result);
    return result;
  }
  bool Check(bool repair) {
    config.registryOk = !repair;
    const bool result = CheckRegistry(config, platform, repair);
    EXPECT_EQ(config.registryOk, result);
    return result;
  }

  CheckConfig config;
  FakeRegistry registry;
  FakeCodePages codePages;
  ScriptedRandom random;
  BrowserPolicyPlatform platform{registry, codePages, random};
};

TEST_F(BrowserPolicyChecksTest, WithoutDomainsOrWithEveryPageCompatibleTheListIsNotLookedAt) {
  EXPECT_TRUE(CheckList(false));

  SetDomains({"a.cn"});
  registry.SetValue(RegistryRoot::CurrentUser, kEmulationKey, u"AllSitesCompatibilityMode",
                    DwordValue(1));
  registry.failRead.insert(std::u16string(kListKeyLower));
  EXPECT_TRUE(CheckList(false));
  EXPECT_TRUE(CheckList(true));
  EXPECT_FALSE(registry.KeyExists(RegistryRoot::CurrentUser, kListKey));
  EXPECT_EQ(random.seeds, 0);

  // Any other setting of the mode leaves the list to decide.
  registry.SetValue(RegistryRoot::CurrentUser, kEmulationKey, u"AllSitesCompatibilityMode",
                    DwordValue(2));
  EXPECT_FALSE(CheckList(false));
}

TEST_F(BrowserPolicyChecksTest, AMissingListIsWrittenWholeByARepair) {
  SetDomains({"a.cn", "bb.cn"});
  EXPECT_FALSE(CheckList(false));
  EXPECT_TRUE(registry.KeyExists(RegistryRoot::CurrentUser, kListKey))
      << "the key is created when found missing";
  EXPECT_EQ(StoredList(), nullptr);

  random.draws = {5};
  EXPECT_TRUE(CheckList(true));
  ASSERT_NE(StoredList(), nullptr);
  EXPECT_EQ(*StoredList(), Binary("411F00005308ADBA" "02000000" "42000000" "01000000" "02000000"
                                  "0C000000" "8159B0E0E3" "84CD01" "01000000" "0400"
                                  "61002E0063006E00"
                                  "0C000000" "8159B0E0E3" "84CD01" "01000000" "0500"
                                  "620062002E0063006E00"));
  EXPECT_TRUE(CheckList(false));
}

TEST_F(BrowserPolicyChecksTest, DomainsAreStoredAsUtf16CodeUnits) {
  SetDomains({"网银.cn"});
  EXPECT_TRUE(CheckList(true));
  EXPECT_EQ(*StoredList(), Binary("411F00005308ADBA" "01000000" "28000000" "01000000" "01000000"
                                  "0C000000" "0000000000" "84CD01" "01000000" "0500"
                                  "517FF6942E0063006E00"));
  EXPECT_TRUE(CheckList(false));

  // A domain that cannot be converted would be an empty pattern, found everywhere.
  codePages.failingCodePages.insert(kCodePageUtf8);
  EXPECT_FALSE(CheckList(false));
}

TEST_F(BrowserPolicyChecksTest, AnUnusableStoredListIsReplacedByARepair) {
  SetDomains({"a.cn"});
  for (const RegistryValue& unusable : {RegistryValue{RegistryType::String, {0x61, 0, 0, 0}},
                                        Binary("411F0000"),  // shorter than a header
                                        RegistryValue{RegistryType::Binary, {}}}) {
    StoreList(unusable);
    EXPECT_FALSE(CheckList(false));
    EXPECT_EQ(*StoredList(), unusable);
    EXPECT_TRUE(CheckList(true));
    EXPECT_EQ(*StoredList(), Binary(kListWithACn));
  }
}

TEST_F(BrowserPolicyChecksTest, AStoredListGrowsByTheMissingDomainsOnly) {
  SetDomains({"a.cn", "b.cn", "b.cn", "A.CN"});
  StoreList(Binary(kListWithACn));
  EXPECT_FALSE(CheckList(false));
  EXPECT_EQ(*StoredList(), Binary(kListWithACn));

  EXPECT_TRUE(CheckList(true));
  // b.cn once (the second finds the first), and A.CN, which the exact search does not see
  // in a.cn.
  EXPECT_EQ(*StoredList(),
            Binary("411F00005308ADBA" "03000000" "5A000000" "01000000" "03000000"
                   "0C000000" "0000000000" "84CD01" "01000000" "0400" "61002E0063006E00"
                   "0C000000" "0000000000" "84CD01" "01000000" "0400" "62002E0063006E00"
                   "0C000000" "0000000000" "84CD01" "01000000" "0400" "41002E0043004E00"));
  EXPECT_EQ(random.seeds, 2);

  // All present: nothing is drawn and nothing written.
  registry.denyWrite.insert(std::u16string(kListKeyLower));
  EXPECT_TRUE(CheckList(true));
  EXPECT_EQ(random.seeds, 2);
}

TEST_F(BrowserPolicyChecksTest, AFailingWriteOrUnreachableKeyFailsTheRepair) {
  SetDomains({"a.cn"});
  registry.denyWrite.insert(std::u16string(kListKeyLower));
  EXPECT_FALSE(CheckList(true)) << "no list yet";
  StoreList(Binary(kEmptyList));
  EXPECT_FALSE(CheckList(true)) << "list without the domain";
  EXPECT_EQ(*StoredList(), Binary(kEmptyList));

  registry.denyWrite.clear();
  registry.denyOpen.insert(std::u16string(kListKeyLower));
  EXPECT_FALSE(CheckList(true));
}

TEST_F(BrowserPolicyChecksTest, RegistryItemStopsAtTheFirstFailure) {
  ConfigGroup entries{.type = "registry"};
  entries.entries.push_back({.text = "HKCU\\Software\\Bank", .name = "First",
                             .type = "reg_dword", .value = "1"});
  entries.entries.push_back({.text = "HKCU\\Software\\Bank", .name = "Odd", .type = "reg_word",
                             .value = "1"});
  entries.entries.push_back({.text = "HKCU\\Software\\Bank", .name = "Last",
                             .type = "reg_dword", .value = "1"});
  config.groups.push_back(entries);
  EXPECT_FALSE(Check(true));
  EXPECT_NE(registry.FindValue(RegistryRoot::CurrentUser, u"Software\\Bank", u"First"), nullptr);
  EXPECT_EQ(registry.FindValue(RegistryRoot::CurrentUser, u"Software\\Bank", u"Last"), nullptr);

  config.groups.back().entries.erase(config.groups.back().entries.begin() + 1);
  EXPECT_FALSE(Check(false));
  EXPECT_TRUE(Check(true));
  EXPECT_TRUE(Check(false));

  // The compatibility list comes first; while it fails nothing else is repaired.
  config.groups.back().entries.push_back({.text = "HKCU\\Software\\Bank", .name = "Later",
                                          .type = "reg_dword", .value = "1"});
  SetDomains({"a.cn"});
  registry.denyOpen.insert(std::u16string(kListKeyLower));
  EXPECT_FALSE(Check(true));
  EXPECT_EQ(registry.FindValue(RegistryRoot::CurrentUser, u"Software\\Bank", u"Later"), nullptr);
}

// Both policies follow one rule; each case runs against both.
struct Policy {
  std::u16string_view key;
  std::u16string_view lowerKey;
  std::u16string_view name;
  std::function<bool(CheckConfig&, const BrowserPolicyPlatform&, bool)> check;
  bool CheckConfig::*flag;
};

class PolicyTest : public BrowserPolicyChecksTest, public testing::WithParamInterface<Policy> {
 protected:
  bool Run(bool repair) {
    const Policy& policy = GetParam();
    config.*policy.flag = !repair;
    const bool result = policy.check(config, platform, repair);
    EXPECT_EQ(config.*policy.flag, result);
    return result;
  }
  void Store(RegistryValue value) {
    registry.SetValue(RegistryRoot::CurrentUser, GetParam().key, GetParam().name, std::move(value));
  }
  const RegistryValue* Stored() const {
    return registry.FindValue(RegistryRoot::CurrentUser, GetParam().key, GetParam().name);
  }
};

TEST_P(PolicyTest, AnOnPolicyIsReportedAndDeletedByARepair) {
  Store(DwordValue(1));
  EXPECT_FALSE(Run(false));
  EXPECT_NE(Stored(), nullptr);
  EXPECT_TRUE(Run(true));
  EXPECT_EQ(Stored(), nullptr);
  EXPECT_TRUE(Run(false));
}

TEST_P(PolicyTest, OnlyANonZeroDwordIsOn) {
  EXPECT_TRUE(Run(false)) << "no key";
  Store(DwordValue(0));
  EXPECT_TRUE(Run(false));
  Store(StringValue(u"1"));
  EXPECT_TRUE(Run(true));
  EXPECT_EQ(*Stored(), StringValue(u"1")) << "a policy of another type is not touched";
}

TEST_P(PolicyTest, APolicyThatCannotBeReadOrDeletedFails) {
  Store(DwordValue(1));
  registry.denyWrite.insert(std::u16string(GetParam().lowerKey));
  EXPECT_FALSE(Run(true));
  EXPECT_EQ(*Stored(), DwordValue(1));
  registry.denyWrite.clear();

  registry.failRead.insert(std::u16string(GetParam().lowerKey));
  EXPECT_FALSE(Run(false));
  registry.failRead.clear();

  registry.denyOpen.insert(std::u16string(GetParam().lowerKey));
  EXPECT_FALSE(Run(false)) << "a key that exists but refuses to open proves nothing";
}

TEST_P(PolicyTest, AKeyTheUserMayOnlyReadIsMeasuredAndRepairedOnlyWhereItCanBe) {
  registry.denyWriteOpen.insert(std::u16string(GetParam().lowerKey));
  Store(DwordValue(0));
  EXPECT_TRUE(Run(false)) << "measured with read access: the policy is off";
  Store(DwordValue(1));
  EXPECT_FALSE(Run(false));
  EXPECT_FALSE(Run(true)) << "write access refused: the repair fails";
  EXPECT_EQ(*Stored(), DwordValue(1));
  registry.denyWriteOpen.clear();
  EXPECT_TRUE(Run(true)) << "write access asked for only to repair";
  EXPECT_EQ(Stored(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    BrowserPolicies, PolicyTest,
    testing::Values(
        Policy{kSystemPolicyKey, u"software\\microsoft\\windows\\currentversion\\policies\\system",
               u"Disableregistrytools",
               [](CheckConfig& config, const BrowserPolicyPlatform& platform, bool repair) {
                 return CheckRegistry(config, platform, repair);
               },
               &CheckConfig::registryOk},
        Policy{kHomePagePolicyKey,
               u"software\\policies\\microsoft\\internet explorer\\control panel", u"Homepage",
               [](CheckConfig& config, const BrowserPolicyPlatform& platform, bool repair) {
                 return CheckHomePagePolicy(config, platform.registry, repair);
               },
               &CheckConfig::homePageOk}),
    [](const testing::TestParamInfo<Policy>& policy) {
      return policy.index == 0 ? std::string("RegistryTools") : std::string("HomePage");
    });

}  // namespace
}  // namespace tessaly
