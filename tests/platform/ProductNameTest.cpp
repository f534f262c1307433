#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/WindowsFacts.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScriptedPrompts.h"
#include "tests/fakes/FakeSystemFacts.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kCurrentVersion = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::u16string_view kInternetExplorer = u"SOFTWARE\\Microsoft\\Internet Explorer";
constexpr std::u16string_view kAdviceCaption = u"警告";
constexpr std::u16string_view kAdviceText =
    u"为不影响正常使用网银，建议将操作系统升级至 Windows XP SP3及以上版本";

std::vector<PromptCall> UpgradeAdvice(std::size_t times) {
  return std::vector<PromptCall>(times, PromptCall::Warning(kAdviceCaption, kAdviceText));
}

RegistryValue StringValue(std::u16string_view text) {
  RegistryValue value{RegistryType::String, {}};
  for (const char16_t unit : std::u16string(text) + u'\0') {
    value.data.push_back(static_cast<std::uint8_t>(unit));
    value.data.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return value;
}

const RegistryValue kDwordValue{RegistryType::Dword, {1, 0, 0, 0}};

// A 32-bit process on 64-bit Windows: the product texts must come from the native view.
class OsStepTextTest : public testing::Test {
 protected:
  OsStepTextTest() {
    registry.wow64 = true;
    system.versionFacts = {.versionQueryOk = true, .major = 6, .minor = 1, .build = 7601,
                           .platformId = 2, .servicePack = u"Service Pack 1",
                           .productType = 1, .processorArchitecture = 9, .productInfo = 1};
  }

  void SetProduct(std::u16string_view name, std::u16string_view servicePack) {
    registry.SetValue(RegistryRoot::LocalMachine, kCurrentVersion, u"ProductName",
                      StringValue(name), RegistryView::Native64);
    if (!servicePack.empty()) {
      registry.SetValue(RegistryRoot::LocalMachine, kCurrentVersion, u"CSDVersion",
                        StringValue(servicePack), RegistryView::Native64);
    }
  }

  std::u16string OsStep() { return OsStepText(system, registry, prompts); }

  void ResetRegistry() {
    registry = FakeRegistry{};
    registry.wow64 = true;
  }

  FakeRegistry registry;
  FakeSystemFacts system;
  FakeScriptedPrompts prompts;
};

TEST_F(OsStepTextTest, OldXpServicePacksShowTheUpgradeAdviceOncePerCall) {
  for (const auto& [servicePack, expected] :
       {std::pair{u"Service Pack 1", u"Microsoft Windows XP SP1"},
        std::pair{u"Service Pack 2", u"Microsoft Windows XP SP2"}}) {
    ResetRegistry();
    FakeScriptedPrompts fresh;
    SetProduct(u"Microsoft Windows XP", servicePack);
    EXPECT_EQ(OsStepText(system, registry, fresh), expected);
    EXPECT_EQ(fresh.Calls(), UpgradeAdvice(1));
  }
  // Every page load asks again: no memory of the advice already given.
  EXPECT_EQ(OsStep(), u"Microsoft Windows XP SP2");
  EXPECT_EQ(OsStep(), u"Microsoft Windows XP SP2");
  EXPECT_EQ(prompts.Calls(), UpgradeAdvice(2));
}

TEST_F(OsStepTextTest, CurrentXpNeedsNoAdvice) {
  SetProduct(u"Microsoft Windows XP", u"Service Pack 3");
  EXPECT_EQ(OsStep(), u"Microsoft Windows XP SP3");

  ResetRegistry();
  SetProduct(u"Microsoft Windows XP", u"");
  EXPECT_EQ(OsStep(), u"Microsoft Windows XP");
  EXPECT_TRUE(prompts.Calls().empty());
}

TEST_F(OsStepTextTest, Windows10ProductNameIsShownUnchanged) {
  SetProduct(u"Windows 10 Pro", u"Service Pack 1");
  EXPECT_EQ(OsStep(), u"Windows 10 Pro");
  EXPECT_TRUE(prompts.Calls().empty());
  EXPECT_EQ(ProductNameWithServicePack(registry, prompts), u"Windows 10 Pro") << "no suffix";
}

TEST_F(OsStepTextTest, OtherProductsAreDescribedFromTheVersionFacts) {
  SetProduct(u"Windows 7 Ultimate", u"Service Pack 1");
  EXPECT_EQ(OsStep(), u"Microsoft Windows 7 旗舰版 SP1 (build 7601) 64位");
  EXPECT_TRUE(prompts.Calls().empty());
}

TEST_F(OsStepTextTest, UnreadableProductTextsFallBackToTheDescriptionWithoutAdvice) {
  system.versionFacts = {.versionQueryOk = true, .major = 5, .minor = 1, .build = 2600,
                         .platformId = 2, .servicePack = u"Service Pack 2", .productType = 1};
  const std::u16string description = u"Microsoft Windows XP 专业版 SP2 (build 2600)";

  // A user without administrative rights cannot open the key with full access.
  SetProduct(u"Microsoft Windows XP", u"Service Pack 2");
  registry.denyOpen.insert(u"software\\microsoft\\windows nt\\currentversion");
  EXPECT_EQ(OsStep(), description);

  // The redirected 32-bit view is not where the product texts are read.
  ResetRegistry();
  registry.SetValue(RegistryRoot::LocalMachine, kCurrentVersion, u"ProductName",
                    StringValue(u"Microsoft Windows XP"));
  registry.SetValue(RegistryRoot::LocalMachine, kCurrentVersion, u"CSDVersion",
                    StringValue(u"Service Pack 2"));
  EXPECT_EQ(OsStep(), description);

  // A product name that does not fit the 1024-byte buffer is no name at all.
  ResetRegistry();
  SetProduct(u"Microsoft Windows XP" + std::u16string(492, u'x'), u"Service Pack 2");
  EXPECT_EQ(OsStep(), description);
  EXPECT_TRUE(prompts.Calls().empty());

  SetProduct(u"Microsoft Windows XP" + std::u16string(491, u'x'), u"Service Pack 2");
  EXPECT_EQ(OsStep(), u"Microsoft Windows XP" + std::u16string(491, u'x') + u" SP2")
      << "511 characters and the terminator fill the buffer exactly";
}

TEST_F(OsStepTextTest, ServicePackSuffixTakesTheLowestPackNamed) {
  EXPECT_EQ(ServicePackSuffix(registry), u"") << "no key";
  for (const auto& [servicePack, suffix] :
       {std::pair{u"Service Pack 3, Service Pack 2, Service Pack 1", u" SP1"},
        std::pair{u"Service Pack 3, Service Pack 2", u" SP2"},
        std::pair{u"Service Pack 3", u" SP3"}, std::pair{u"Service Pack 4", u""},
        std::pair{u"SP2", u""}}) {
    SetProduct(u"Microsoft Windows XP", servicePack);
    EXPECT_EQ(ServicePackSuffix(registry), suffix);
  }
  registry.SetValue(RegistryRoot::LocalMachine, kCurrentVersion, u"CSDVersion", kDwordValue,
                    RegistryView::Native64);
  EXPECT_EQ(ServicePackSuffix(registry), u"") << "not a string";
}

class InternetExplorerVersionTest : public testing::Test {
 protected:
  void Set(std::u16string_view name, RegistryValue value,
           RegistryView view = RegistryView::Default) {
    registry.SetValue(RegistryRoot::LocalMachine, kInternetExplorer, name, std::move(value), view);
  }
  FakeRegistry registry;
};

TEST_F(InternetExplorerVersionTest, PrefersTheServiceVersionOverTheOldVersionValue) {
  Set(u"Version", StringValue(u"9.11.9600.17843"));
  Set(u"svcVersion", StringValue(u"11.0.9600.17843"));
  EXPECT_EQ(InternetExplorerVersion(registry), u"11.0.9600.17843");
}

TEST_F(InternetExplorerVersionTest, FallsBackToVersionWhenTheServiceVersionIsUnusable) {
  Set(u"Version", StringValue(u"8.0.6001.18702"));
  EXPECT_EQ(InternetExplorerVersion(registry), u"8.0.6001.18702") << "Internet Explorer 8";

  Set(u"svcVersion", kDwordValue);
  EXPECT_EQ(InternetExplorerVersion(registry), u"8.0.6001.18702") << "not a string";

  Set(u"svcVersion", StringValue(u""));
  EXPECT_EQ(InternetExplorerVersion(registry), u"8.0.6001.18702") << "empty";

  // 99 characters and the terminator fill the 200-byte buffer; one more does not fit.
  Set(u"svcVersion", StringValue(std::u16string(100, u'1')));
  EXPECT_EQ(InternetExplorerVersion(registry), u"8.0.6001.18702") << "over-long";
  Set(u"svcVersion", StringValue(std::u16string(99, u'1')));
  EXPECT_EQ(InternetExplorerVersion(registry), std::u16string(99, u'1'));
}

TEST_F(InternetExplorerVersionTest, ZeroWhenNeitherValueCanBeRead) {
  EXPECT_EQ(InternetExplorerVersion(registry), u"0") << "no key";

  Set(u"Version", StringValue(std::u16string(100, u'9')));
  EXPECT_EQ(InternetExplorerVersion(registry), u"0") << "over-long";

  registry.wow64 = true;
  Set(u"svcVersion", StringValue(u"11.0.9600.17843"), RegistryView::Native64);
  EXPECT_EQ(InternetExplorerVersion(registry), u"0") << "only the process's own view counts";

  Set(u"svcVersion", StringValue(u"11.0.9600.17843"));
  registry.denyOpen.insert(u"software\\microsoft\\internet explorer");
  EXPECT_EQ(InternetExplorerVersion(registry), u"0") << "access denied";
}

}  // namespace
}  // namespace tessaly
