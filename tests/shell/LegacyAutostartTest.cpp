#include "shell/LegacyAutostart.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/fakes/FakeRegistry.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kRunKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::u16string_view kLayersKey =
    u"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
constexpr std::u16string_view kProgramPath = u"D:\\Bank\\Tessaly.exe";

const RegistryValue kSomeText{RegistryType::String, {'x', 0, 0, 0}};

class LegacyAutostartTest : public testing::Test {
 protected:
  bool Has(std::u16string_view key, std::u16string_view name) const {
    return registry_.FindValue(RegistryRoot::CurrentUser, key, name) != nullptr;
  }
  void Put(std::u16string_view key, std::u16string_view name) {
    registry_.SetValue(RegistryRoot::CurrentUser, key, name, kSomeText);
  }

  FakeRegistry registry_;
};

TEST_F(LegacyAutostartTest, RemovesOnlyTheOldRunValueAndTheProgramsCompatibilityMode) {
  Put(kRunKey, u"Quaymark_Orvendel");
  Put(kRunKey, u"Quaymark");
  Put(kLayersKey, kProgramPath);
  Put(kLayersKey, u"D:\\Bank\\Other.exe");
  Put(kLayersKey, u"");  // the key's default value

  ClearLegacyAutostart(registry_, kProgramPath);

  EXPECT_FALSE(Has(kRunKey, u"Quaymark_Orvendel"));
  EXPECT_FALSE(Has(kLayersKey, kProgramPath));
  EXPECT_TRUE(Has(kRunKey, u"Quaymark"));
  EXPECT_TRUE(Has(kLayersKey, u"D:\\Bank\\Other.exe"));
  EXPECT_TRUE(Has(kLayersKey, u""));
}

TEST_F(LegacyAutostartTest, MissingKeysAreNeitherAnErrorNorCreated) {
  ClearLegacyAutostart(registry_, kProgramPath);
  EXPECT_FALSE(registry_.KeyExists(RegistryRoot::CurrentUser, kRunKey));
  EXPECT_FALSE(registry_.KeyExists(RegistryRoot::CurrentUser, kLayersKey));

  Put(kLayersKey, kProgramPath);
  ClearLegacyAutostart(registry_, kProgramPath);  // the Run key is still missing
  EXPECT_FALSE(Has(kLayersKey, kProgramPath));
}

TEST_F(LegacyAutostartTest, AKeyThatCannotBeOpenedDoesNotStopTheOther) {
  Put(kRunKey, u"Quaymark_Orvendel");
  Put(kLayersKey, kProgramPath);
  registry_.denyOpen.insert(u"software\\microsoft\\windows\\currentversion\\run");
  ClearLegacyAutostart(registry_, kProgramPath);
  EXPECT_TRUE(Has(kRunKey, u"Quaymark_Orvendel"));
  EXPECT_FALSE(Has(kLayersKey, kProgramPath));
}

TEST_F(LegacyAutostartTest, AProgramPathThatNamesNoFileDeletesNothing) {
  Put(kLayersKey, u"");
  Put(kLayersKey, u"D:\\Bank\\Tessaly.exe");
  ClearLegacyAutostart(registry_, u"");
  EXPECT_TRUE(Has(kLayersKey, u"")) << "an empty name would be the default value";
  ClearLegacyAutostart(registry_, std::u16string(u"D:\\Bank\\Tessaly.exe\0.bak", 24));
  EXPECT_TRUE(Has(kLayersKey, u"D:\\Bank\\Tessaly.exe")) << "the system would cut at the zero";
}

}  // namespace
}  // namespace tessaly
