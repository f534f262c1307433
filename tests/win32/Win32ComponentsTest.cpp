// The presence tests of the component items, the USB walk and regsvr32 against the real
// system (Wine here): the registry, version resources, a COM library of the tests'
// own registered by the real regsvr32.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "config/TextConversion.h"
#include "diagnosis/ComponentPresence.h"
#include "diagnosis/FileCurrency.h"
#include "diagnosis/InstallCommand.h"
#include "platform/FileDigest.h"
#include "platform/win32/Win32CodePages.h"
#include "platform/win32/Win32ComponentServices.h"
#include "platform/win32/Win32ProgramPath.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32WideEnvironment.h"
#include "tests/win32/RawRegistry.h"
#include "tests/win32/RunningSystem.h"
#include "usbkey/UsbDeviceEnumeration.h"

namespace tessaly::win32 {
namespace {

const std::u16string kClsid = u"{5D4C1B9E-7A3F-4E21-9C6B-2F8E0A1D3B57}";
const std::u16string kAddonKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\{5D4C1B9E-7A3F-4E21-9C6B-2F8E0A1D3B57}";

class Win32ComponentsTest : public testing::Test {
 protected:
  ComponentPlatform platform() const {
    return {registry, codePages, environment, services.paths, services.redirection,
            services.versions, services.files, services.usb};
  }
  // The test COM library, built beside the tests.
  static std::u16string TestComLibraryPath() {
    std::u16string path = ModuleFilePath();
    path.erase(path.find_last_of(u'\\') + 1);
    return path + u"components\\TessalyTestCom.dll";
  }
  std::string Utf8(const std::u16string& text) const {
    return WideToMultiByteText(codePages, kCodePageUtf8, text);
  }

  Win32Registry registry;
  Win32CodePages codePages;
  Win32WideEnvironment environment;
  Win32ComponentServices services;
};

TEST_F(Win32ComponentsTest, AddonSettingsSayWhetherTheBrowserDisabledTheControl) {
  ASSERT_EQ(WriteRaw(kAddonKey, u"Flags", REG_DWORD, DwordBytes(0)), ERROR_SUCCESS);
  EXPECT_FALSE(IsAddonDisabled(registry, kClsid, false));
  ASSERT_EQ(WriteRaw(kAddonKey, u"Flags", REG_DWORD, DwordBytes(1)), ERROR_SUCCESS);
  EXPECT_TRUE(IsAddonDisabled(registry, kClsid, false));
  EXPECT_TRUE(KeyExists(kAddonKey));
  EXPECT_FALSE(IsAddonDisabled(registry, kClsid, true));
  EXPECT_FALSE(KeyExists(kAddonKey));
  EXPECT_FALSE(IsAddonDisabled(registry, kClsid, false));
}

TEST_F(Win32ComponentsTest, RegsvrRegistersTheTestLibraryAndTheClassIsFound) {
  const std::u16string library = TestComLibraryPath();
  ASSERT_TRUE(services.paths.PathExists(library));
  EXPECT_TRUE(services.launcher.RunCommand(RegisterServerCommandLine(library), true));
  EXPECT_TRUE(IsClsidRegistered(platform(), kClsid, u""));
  // A 32-bit process starts the 32-bit regsvr32, which registers the library in the 32-bit
  // view that a `bit` item does not read; a 64-bit process has one view only.
  EXPECT_EQ(IsClsidRegistered(platform(), kClsid, u"64"), !RunsUnderWow64());
  EXPECT_TRUE(RegistryRefExists(registry, u"HKCR,CLSID\\" + kClsid + u"\\InprocServer32,"));
  EXPECT_TRUE(services.launcher.RunCommand(u"regsvr32 /s /u \"" + library + u"\"", true));
  EXPECT_FALSE(IsClsidRegistered(platform(), kClsid, u""));
}

TEST_F(Win32ComponentsTest, AnExpandableServerPathIsExpandedAsTheSystemDoes) {
  // Registered for the user; the classes root shows it as the system's COM does.
  const std::u16string clsid = u"{0B8E3F61-2C4D-4A7E-8F19-6D3A5C7B9E20}";
  const std::u16string server = u"Software\\Classes\\CLSID\\" + clsid + u"\\InprocServer32";
  const auto expandable = [](std::u16string_view text) {
    std::vector<BYTE> bytes;
    for (const char16_t unit : text) {
      bytes.push_back(static_cast<BYTE>(unit));
      bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
  };
  ASSERT_EQ(WriteRaw(server, u"", REG_EXPAND_SZ, expandable(u"%SystemRoot%\\system32\\kernel32.dll")),
            ERROR_SUCCESS);
  EXPECT_TRUE(IsClsidRegistered(platform(), clsid, u""));
  ASSERT_EQ(WriteRaw(server, u"", REG_EXPAND_SZ, expandable(u"%SystemRoot%\\system32\\no-such-file.dll")),
            ERROR_SUCCESS);
  EXPECT_FALSE(IsClsidRegistered(platform(), clsid, u""));
  DeleteRaw(server, u"");
}

TEST_F(Win32ComponentsTest, RegistryReferencesAndPathsOnTheRealSystem) {
  const std::u16string key = u"Software\\Quaymark Component Test";
  ASSERT_EQ(WriteRawText(key, u"Version", u"1"), ERROR_SUCCESS);
  EXPECT_TRUE(RegistryRefExists(registry, u"HKCU," + key + u",Version"));
  EXPECT_TRUE(RegistryRefExists(registry, u"HKEY_CURRENT_USER," + key + u","));
  EXPECT_FALSE(RegistryRefExists(registry, u"HKCU," + key + u",Missing"));
  EXPECT_FALSE(RegistryRefExists(registry, u"HKCU," + key + u"\\Absent,"));
  DeleteRaw(key, u"Version");

  EXPECT_TRUE(PathExistsFor(platform(), u"%SystemRoot%\\system32\\kernel32.dll", u""));
  // Under WoW64 the switch shows the native system32; a 64-bit process is never redirected
  // and the switch has nothing to do. Either way the file is there.
  EXPECT_TRUE(PathExistsFor(platform(), u"%SystemRoot%\\system32\\kernel32.dll", u"64"));
  EXPECT_TRUE(PathExistsFor(platform(), u"%SystemRoot%", u""));
  EXPECT_FALSE(PathExistsFor(platform(), u"%SystemRoot%\\system32\\no-such-file.dll", u""));
}

TEST_F(Win32ComponentsTest, FileCurrencyReadsTheVersionResourceAndDigest) {
  const std::u16string program = ModuleFilePath();  // version 7.6.5.4
  const std::string digest = FileMd5Hex(services.files, Utf8ToAnsi(codePages, Utf8(program)));
  ASSERT_EQ(digest.size(), 32u);
  const struct {
    const char* version;
    std::string md5;
    bool current;
  } cases[] = {
      {"7.6.5.4", digest, true},        {"7.6.5.5", "", false},     {"7.7", "", false},
      {"6.9.9.9", "", true},            {"7.5.9.9", "", true},      {"7.6.6.0", "", false},
      {"1.9", "", true},                {"", "", true},
      {"7.6.5.4", std::string(32, '0'), false},
  };
  for (const auto& c : cases) {
    const ItemFile file{.localPath = Utf8(program), .version = c.version, .md5 = c.md5};
    EXPECT_EQ(IsFileCurrent(platform(), file), c.current) << c.version << " " << c.md5;
  }
  EXPECT_FALSE(IsFileCurrent(platform(), ItemFile{.localPath = Utf8(program) + ".missing"}));
  // kernel32 of Wine has a version resource, but not one this new.
  EXPECT_FALSE(IsFileCurrent(platform(), ItemFile{.localPath = "C:\\windows\\system32\\kernel32.dll",
                                                  .version = "60000", .bit = "64"}));
}

TEST_F(Win32ComponentsTest, UsbWalkFindsNoHostControllerUnderWine) {
  EXPECT_TRUE(services.usb.HostControllerInterfacePaths().empty());
  EXPECT_TRUE(EnumerateUsbDevices(services.usb).empty());
  const std::uint32_t wanted[] = {0x096E0201};
  EXPECT_FALSE(AnyUsbDevicePresent(services.usb, wanted));
}

}  // namespace
}  // namespace tessaly::win32
