// The version facts and the registry-based version texts against the real system (64-bit
// Wine here), each checked against what Windows itself answers when asked directly.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/WindowsFacts.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32SystemFacts.h"
#include "platform/win32/UniqueHandles.h"
#include "tests/fakes/FakeScriptedPrompts.h"

namespace tessaly::win32 {
namespace {

// A string value read straight from Windows, for comparison.
std::optional<std::u16string> DirectString(const wchar_t* path, const wchar_t* name,
                                           REGSAM view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE | view, &opened) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  const unique_hkey key(opened);
  wchar_t buffer[1024] = {};
  DWORD type = 0;
  DWORD size = sizeof(buffer) - sizeof(wchar_t);  // keeps a terminator
  if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                       &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

constexpr const wchar_t* kCurrentVersion = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

TEST(Win32VersionFactsTest, CollectsTheRunningSystemsFacts) {
  const WindowsVersionFacts facts = Win32SystemFacts().VersionFacts();
  ASSERT_TRUE(facts.versionQueryOk);
  EXPECT_EQ(facts.platformId, static_cast<std::uint32_t>(VER_PLATFORM_WIN32_NT));
  EXPECT_GE(facts.major, 5u);
  EXPECT_GT(facts.build, 0u);
  EXPECT_EQ(facts.processorArchitecture, PROCESSOR_ARCHITECTURE_AMD64) << "64-bit Wine";
  EXPECT_EQ(facts.major, Win32SystemFacts().WindowsMajorVersion());
  if (facts.major >= 6) {
    EXPECT_TRUE(facts.productInfo.has_value()) << "GetProductInfo exists from Vista on";
  }
}

TEST(Win32VersionFactsTest, DecisionsAndDescriptionFollowTheCollectedFacts) {
  const WindowsVersionFacts facts = Win32SystemFacts().VersionFacts();
  EXPECT_EQ(IsNative64BitWindows(facts), facts.major >= 6);
  EXPECT_EQ(IsVistaOrLater(facts), facts.major >= 6);

  const std::u16string description = DescribeWindows(facts);
  EXPECT_EQ(description.rfind(u"Microsoft ", 0), 0u);
  std::u16string build = u" (build ";
  for (const char digit : std::to_string(facts.build)) build += static_cast<char16_t>(digit);
  EXPECT_NE(description.find(build + u")"), std::u16string::npos);
  if (facts.servicePack.starts_with(u"Service Pack ")) {
    EXPECT_NE(description.find(u" SP" + facts.servicePack.substr(13) + build),
              std::u16string::npos);
  }
  if (facts.major >= 6) {
    EXPECT_TRUE(description.ends_with(u" 64位"));
  }
}

TEST(Win32VersionFactsTest, ProductTextsComeFromTheNativeRegistryView) {
  const std::optional<std::u16string> productName =
      DirectString(kCurrentVersion, L"ProductName", KEY_WOW64_64KEY);
  ASSERT_TRUE(productName.has_value()) << "Wine ships a product name";
  ASSERT_EQ(productName->find(u"Windows XP"), std::u16string::npos) << "no XP prefix here";

  const Win32Registry registry;
  FakeScriptedPrompts prompts;
  EXPECT_EQ(ProductNameWithServicePack(registry, prompts), *productName);
  EXPECT_TRUE(prompts.Calls().empty()) << "no upgrade advice outside XP";

  const std::u16string servicePack =
      DirectString(kCurrentVersion, L"CSDVersion", KEY_WOW64_64KEY).value_or(u"");
  // " SP1" to " SP3" for the packs that name them, nothing for any other text.
  const std::u16string_view packPrefix = u"Service Pack ";
  const bool namesOldPack = servicePack.starts_with(packPrefix) &&
                            servicePack.size() > packPrefix.size() &&
                            servicePack[packPrefix.size()] >= u'1' &&
                            servicePack[packPrefix.size()] <= u'3';
  EXPECT_EQ(ServicePackSuffix(registry),
            namesOldPack ? u" SP" + servicePack.substr(packPrefix.size(), 1) : u"");

  const std::u16string osStep = OsStepText(Win32SystemFacts(), registry, prompts);
  if (productName->find(u"Windows 10") != std::u16string::npos) {
    EXPECT_EQ(osStep, *productName);
  } else {
    EXPECT_EQ(osStep, DescribeWindows(Win32SystemFacts().VersionFacts()));
  }
}

TEST(Win32VersionFactsTest, InternetExplorerVersionIsWhatTheRegistryHolds) {
  constexpr const wchar_t* kInternetExplorer = L"SOFTWARE\\Microsoft\\Internet Explorer";
  const std::optional<std::u16string> serviceVersion =
      DirectString(kInternetExplorer, L"svcVersion", 0);
  const std::optional<std::u16string> version = DirectString(kInternetExplorer, L"Version", 0);
  ASSERT_TRUE(serviceVersion || version) << "Wine ships an Internet Explorer version";

  EXPECT_EQ(InternetExplorerVersion(Win32Registry()), serviceVersion ? *serviceVersion : *version);
}

}  // namespace
}  // namespace tessaly::win32
