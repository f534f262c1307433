// The installed-middleware check: the version entry (32-bit view on 64-bit Windows), both
// file lists in their order, and the version threshold that selects the call form.
#include "adapters/ravelin/MiddlewareInstallation.h"

#include <gtest/gtest.h>

#include "tests/ravelin/RavelinTestServices.h"

namespace tessaly::ravelin {
namespace {

constexpr char kUninstall[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{3E6D3420-F90D-480C-B794-D7EFC6B458E7}";
constexpr char kProvider[] = "SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\Watchdata CSP v3.3";

TEST(MiddlewareInstallationTest, VersionPrefersRealVersionAndReadsThe32BitViewOn64BitWindows) {
  PlantedMiddleware system;
  const MiddlewareInstallation installation(system);
  EXPECT_FALSE(installation.ReadInstalledVersion().has_value());
  system.registry[{kUninstall, "DisplayVersion", false}] = "3.3.9";
  EXPECT_EQ(installation.ReadInstalledVersion(), "3.3.9");
  system.registry[{kUninstall, "RealVersion", false}] = "3.3.9.1025";
  EXPECT_EQ(installation.ReadInstalledVersion(), "3.3.9.1025");

  system.native64 = true;
  EXPECT_FALSE(installation.ReadInstalledVersion().has_value());
  system.registry[{kUninstall, "DisplayVersion", true}] = "3.3.10";
  EXPECT_EQ(installation.ReadInstalledVersion(), "3.3.10");
}

TEST(MiddlewareInstallationTest, BothFileListsMustBeCompleteOn64BitWindows) {
  for (const bool native64 : {false, true}) {
    SCOPED_TRACE(native64 ? "64-bit Windows" : "32-bit Windows");
    PlantedMiddleware system;
    system.native64 = native64;
    const MiddlewareInstallation installation(system);
    system.InstallComplete("3.3.9");
    EXPECT_TRUE(installation.CheckMiddlewareInstalled());
    // 19 files of the 32-bit view, then on 64-bit Windows 15 of the native one.
    EXPECT_EQ(system.filesAsked.size(), native64 ? 34u : 19u);
    EXPECT_EQ(system.filesAsked.front(), "C:\\Windows\\SysWOW64\\Watchdata\\Watchdata CSP v3.3\\clrcert.exe");
    EXPECT_EQ(system.filesAsked[18], "C:\\Windows\\SysWOW64\\WDP11_ND_v33.dll");

    // Installed only in the 32-bit system directory.
    system.files.erase({"C:\\Windows\\System32\\WDP11_ND_v33.dll", FileView::Native});
    EXPECT_EQ(installation.CheckMiddlewareInstalled(), !native64);

    // The check stops at the first missing file.
    system.filesAsked.clear();
    system.files.erase({"C:\\Windows\\SysWOW64\\Watchdata\\Watchdata CSP v3.3\\WDAlg.dll",
                        FileView::ThirtyTwoBit});
    EXPECT_FALSE(installation.CheckMiddlewareInstalled());
    EXPECT_EQ(system.filesAsked.back(), "C:\\Windows\\SysWOW64\\Watchdata\\Watchdata CSP v3.3\\WDAlg.dll");

    // Files without an uninstall entry are no installation.
    PlantedMiddleware filesOnly;
    filesOnly.native64 = native64;
    filesOnly.InstallComplete("3.3.9");
    filesOnly.registry.clear();
    EXPECT_FALSE(MiddlewareInstallation(filesOnly).CheckMiddlewareInstalled());
  }
}

TEST(MiddlewareInstallationTest, VersionsBelow338ByteByByteAreOld) {
  PlantedMiddleware system;
  const MiddlewareInstallation installation(system);
  const char* iniPath = "C:\\Windows\\SysWOW64\\Watchdata\\Watchdata CSP v3.3\\WatchSafe.ini";
  system.registry[{kProvider, "Image Path", false}] =
      "C:\\Windows\\SysWOW64\\Watchdata\\Watchdata CSP v3.3\\WDCSP03.dll";
  EXPECT_FALSE(installation.IsOldMiddleware());  // no value: new
  const std::pair<const char*, bool> versions[] = {
      {"3.3.5", true}, {"3.3.10", true}, {"3.3.8", false}, {"3.3.9", false}, {"3.4", false}, {"2", true}};
  for (const auto& [version, old] : versions) {
    system.ini[{iniPath, "WatchSAFE3.2", "ProductVersion"}] = version;
    EXPECT_EQ(installation.IsOldMiddleware(), old) << version;
  }

  // An image path without a backslash: the ini file is looked for by its bare name.
  system.registry[{kProvider, "Image Path", false}] = "WDCSP03.dll";
  EXPECT_FALSE(installation.ReadWatchSafeValue("ProductVersion").has_value());
  system.ini[{"WatchSafe.ini", "WatchSAFE3.2", "ProductVersion"}] = "3.3.5";
  EXPECT_EQ(installation.ReadWatchSafeValue("ProductVersion"), "3.3.5");
  // No provider entry: an empty ini path.
  system.registry.clear();
  system.ini[{"", "WatchSAFE3.2", "ProductVersion"}] = "3.3.1";
  EXPECT_EQ(installation.ReadWatchSafeValue("ProductVersion"), "3.3.1");
}

}  // namespace
}  // namespace tessaly::ravelin
