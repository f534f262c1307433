// The browser and policy checks against the real registry (Wine here). Values of the
// current user that the checks look at are saved first and put back afterwards; keys that
// did not exist are removed again.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "diagnosis/BrowserPolicyChecks.h"
#include "diagnosis/RegistryEntryCheck.h"
#include "platform/portable/CLibraryRandom.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32CodePages.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WideText.h"
#include "tests/win32/RawRegistry.h"

namespace tessaly::win32 {
namespace {

const std::u16string kTestKey = u"Software\\Brimvane\\TessalyPolicyTest";
const std::u16string kEmulationKey = u"Software\\Microsoft\\Internet Explorer\\BrowserEmulation";
const std::u16string kListKey = kEmulationKey + u"\\ClearableListData";
const std::u16string kSystemPolicyKey =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
const std::u16string kHomePagePolicyKey =
    u"SOFTWARE\\Policies\\Microsoft\\Internet Explorer\\Control Panel";

// The outermost key on the way to `path` that does not exist yet, if any.
std::optional<std::u16string> FirstMissingKey(const std::u16string& path) {
  std::size_t end = 0;
  do {
    end = path.find(u'\\', end + 1);
    std::u16string prefix = path.substr(0, end);
    if (!KeyExists(prefix)) {
      return prefix;
    }
  } while (end != std::u16string::npos);
  return std::nullopt;
}

// One value of the current user as it was before the test, put back when the test ends:
// rewritten when it existed, deleted when not, and the outermost key the test brought into
// being removed with everything below it.
class SavedValue {
 public:
  SavedValue(std::u16string path, std::u16string name)
      : path_(std::move(path)),
        name_(std::move(name)),
        before_(ReadRaw(path_, name_)),
        firstMissingKey_(FirstMissingKey(path_)) {}
  ~SavedValue() {
    if (firstMissingKey_) {
      SHDeleteKeyW(HKEY_CURRENT_USER, AsWide(*firstMissingKey_));
    } else if (before_.status == ERROR_SUCCESS) {
      WriteRaw(path_, name_, before_.type, before_.data);
    } else {
      DeleteRaw(path_, name_);
    }
  }
  SavedValue(const SavedValue&) = delete;
  SavedValue& operator=(const SavedValue&) = delete;

 private:
  std::u16string path_;
  std::u16string name_;
  RawValue before_;
  std::optional<std::u16string> firstMissingKey_;
};

class Win32BrowserPolicyChecksTest : public testing::Test {
 protected:
  void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, AsWide(kTestKey)); }

  bool Enforce(ConfigEntry entry, bool repair) {
    entry.text = "HKCU\\Software\\Brimvane\\TessalyPolicyTest";
    return EnforceRegistryEntry(registry, codePages, entry, repair);
  }

  Win32Registry registry;
  Win32CodePages codePages;
  Win32Clock clock;
  CLibraryRandom random{clock};
  BrowserPolicyPlatform platform{registry, codePages, random};
  CheckConfig config;
};

TEST_F(Win32BrowserPolicyChecksTest, RegistryEntriesAreMeasuredAndRepaired) {
  const ConfigEntry masked{.name = "Masked", .type = "reg_dword", .value = "4", .mask = "4"};
  EXPECT_FALSE(Enforce(masked, false));
  EXPECT_FALSE(KeyExists(kTestKey)) << "measuring creates no key";
  ASSERT_EQ(WriteRaw(kTestKey, u"Masked", REG_DWORD, DwordBytes(8)), ERROR_SUCCESS);
  EXPECT_FALSE(Enforce(masked, false));
  EXPECT_TRUE(Enforce(masked, true));
  RawValue stored = ReadRaw(kTestKey, u"Masked");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(stored.data, DwordBytes(12));

  const ConfigEntry text{.name = "Text", .type = "reg_sz", .value = "网银 ok"};
  EXPECT_FALSE(Enforce(text, false));
  EXPECT_TRUE(Enforce(text, true));
  stored = ReadRaw(kTestKey, u"Text");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  const std::u16string expected = u"网银 ok";
  ASSERT_EQ(stored.data.size(), (expected.size() + 1) * 2);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(stored.data.data()), expected.size()),
            expected);

  const ConfigEntry binary{.name = "Bytes", .type = "reg_binary", .value = "0a0BfF"};
  ASSERT_EQ(WriteRaw(kTestKey, u"Bytes", REG_BINARY, {0x0A, 0x0B}), ERROR_SUCCESS);
  EXPECT_FALSE(Enforce(binary, false));
  EXPECT_TRUE(Enforce(binary, true));
  stored = ReadRaw(kTestKey, u"Bytes");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(stored.data, (std::vector<BYTE>{0x0A, 0x0B, 0xFF}));

  // A number stored as text is not repaired.
  const std::vector<BYTE> zeroText = {'0', 0, 0, 0};
  ASSERT_EQ(WriteRaw(kTestKey, u"AsText", REG_SZ, zeroText), ERROR_SUCCESS);
  EXPECT_FALSE(Enforce({.name = "AsText", .type = "reg_dword", .value = "0"}, true));
  EXPECT_EQ(ReadRaw(kTestKey, u"AsText").data, zeroText);
}

TEST_F(Win32BrowserPolicyChecksTest, TheCompatibilityListIsWrittenAndExtendedInPlace) {
  SavedValue allSites(kEmulationKey, u"AllSitesCompatibilityMode");
  SavedValue list(kListKey, u"UserFilter");
  ASSERT_EQ(WriteRaw(kEmulationKey, u"AllSitesCompatibilityMode", REG_DWORD, DwordBytes(0)),
            ERROR_SUCCESS);
  DeleteRaw(kListKey, u"UserFilter");

  config.groups.push_back(
      {.type = "compatibility", .entries = {{.text = "a.cn"}, {.text = "bb.cn"}}});
  EXPECT_FALSE(CheckCompatibilityList(config, platform, false));
  EXPECT_TRUE(CheckCompatibilityList(config, platform, true));
  EXPECT_TRUE(CheckCompatibilityList(config, platform, false));
  RawValue stored = ReadRaw(kListKey, u"UserFilter");
  ASSERT_EQ(stored.status, ERROR_SUCCESS);
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
  ASSERT_EQ(stored.data.size(), 78u);
  EXPECT_EQ(std::vector<BYTE>(stored.data.begin(), stored.data.begin() + 24),
            (std::vector<BYTE>{0x41, 0x1F, 0, 0, 0x53, 0x08, 0xAD, 0xBA, 2, 0, 0, 0, 66, 0, 0, 0,
                               1, 0, 0, 0, 2, 0, 0, 0}));
  const std::vector<BYTE> fixedBefore = {0x0C, 0, 0, 0};
  const std::vector<BYTE> fixedAfter = {0x84, 0xCD, 0x01, 1, 0, 0, 0};
  EXPECT_EQ(std::vector<BYTE>(stored.data.begin() + 24, stored.data.begin() + 28), fixedBefore);
  EXPECT_EQ(std::vector<BYTE>(stored.data.begin() + 33, stored.data.begin() + 40), fixedAfter);
  EXPECT_EQ(std::vector<BYTE>(stored.data.begin() + 40, stored.data.begin() + 50),
            (std::vector<BYTE>{4, 0, 'a', 0, '.', 0, 'c', 0, 'n', 0}));
  EXPECT_EQ(std::vector<BYTE>(stored.data.begin() + 50, stored.data.begin() + 54), fixedBefore);
  EXPECT_EQ(std::vector<BYTE>(stored.data.begin() + 59, stored.data.begin() + 66), fixedAfter);
  EXPECT_EQ(std::vector<BYTE>(stored.data.begin() + 66, stored.data.end()),
            (std::vector<BYTE>{5, 0, 'b', 0, 'b', 0, '.', 0, 'c', 0, 'n', 0}));

  // A domain added later is appended to what is stored.
  config.groups.back().entries.push_back({.text = "c.cn"});
  EXPECT_FALSE(CheckCompatibilityList(config, platform, false));
  EXPECT_TRUE(CheckCompatibilityList(config, platform, true));
  const RawValue extended = ReadRaw(kListKey, u"UserFilter");
  ASSERT_EQ(extended.data.size(), 78u + 26u);
  EXPECT_TRUE(std::equal(stored.data.begin() + 24, stored.data.end(), extended.data.begin() + 24));
  EXPECT_EQ(extended.data[8], 3);
  EXPECT_EQ(extended.data[12], 78 + 26 - 12);
  EXPECT_EQ(extended.data[20], 3);
  EXPECT_EQ(std::vector<BYTE>(extended.data.begin() + 94, extended.data.end()),
            (std::vector<BYTE>{4, 0, 'c', 0, '.', 0, 'c', 0, 'n', 0}));

  // With every site in compatibility view the list does not matter.
  config.groups.back().entries.push_back({.text = "d.cn"});
  EXPECT_FALSE(CheckCompatibilityList(config, platform, false));
  ASSERT_EQ(WriteRaw(kEmulationKey, u"AllSitesCompatibilityMode", REG_DWORD, DwordBytes(1)),
            ERROR_SUCCESS);
  EXPECT_TRUE(CheckCompatibilityList(config, platform, false));
}

TEST_F(Win32BrowserPolicyChecksTest, ThePolicyValuesAreFoundAndDeleted) {
  SavedValue registryTools(kSystemPolicyKey, u"Disableregistrytools");
  SavedValue homePage(kHomePagePolicyKey, u"Homepage");
  ASSERT_EQ(WriteRaw(kSystemPolicyKey, u"Disableregistrytools", REG_DWORD, DwordBytes(1)),
            ERROR_SUCCESS);
  ASSERT_EQ(WriteRaw(kHomePagePolicyKey, u"Homepage", REG_DWORD, DwordBytes(1)), ERROR_SUCCESS);

  EXPECT_FALSE(CheckRegistry(config, platform, false));
  EXPECT_FALSE(config.registryOk);
  EXPECT_TRUE(CheckRegistry(config, platform, true));
  EXPECT_EQ(ReadRaw(kSystemPolicyKey, u"Disableregistrytools").status, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(CheckRegistry(config, platform, false));

  EXPECT_FALSE(CheckHomePagePolicy(config, registry, false));
  EXPECT_FALSE(config.homePageOk);
  EXPECT_TRUE(CheckHomePagePolicy(config, registry, true));
  EXPECT_EQ(ReadRaw(kHomePagePolicyKey, u"Homepage").status, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(CheckHomePagePolicy(config, registry, false));
  EXPECT_TRUE(config.homePageOk);
}

}  // namespace
}  // namespace tessaly::win32
