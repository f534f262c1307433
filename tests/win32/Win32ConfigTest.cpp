// The check configuration read through the real Windows services (Wine here): the default
// document from the module's own resources, download paths in the real temporary folder,
// environment expansion by the real environment.
#include <windows.h>

#include <gtest/gtest.h>

#include "config/CheckItemsParser.h"
#include "config/DerivedValues.h"
#include "platform/win32/Win32CodePages.h"
#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ModuleResources.h"
#include "platform/win32/Win32SystemFacts.h"

namespace tessaly::win32 {
namespace {

class Win32ConfigTest : public testing::Test {
 protected:
  Win32CodePages codePages;
  Win32FileSystem fileSystem;
  Win32Environment environment;
  Win32SystemFacts systemFacts;
  ConfigPlatform platform{codePages, fileSystem, environment, systemFacts};
};

TEST_F(Win32ConfigTest, DefaultDocumentFromTheModuleIsAccepted) {
  const std::string document =
      Win32ModuleResources().LoadResourceBytes("item.xml", kResourceTypeHtml);
  ASSERT_FALSE(document.empty());
  CheckConfig config;
  ASSERT_TRUE(ParseCheckItems(config, document, platform));
  EXPECT_TRUE(config.configReady.load());
  ASSERT_EQ(config.items.size(), 4u);
  EXPECT_EQ(config.items[3].className, "CWoqiUSBKey");

  // The driver's files name their folder through %SystemRoot%, which the real environment
  // expands to the Windows folder.
  char windowsFolder[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windowsFolder, MAX_PATH);
  ASSERT_GT(length, 0u);
  ASSERT_FALSE(config.items[3].files.empty());
  const std::string& localPath = config.items[3].files[0].localPath;
  EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, localPath.c_str(),
                           static_cast<int>(length), windowsFolder, static_cast<int>(length)),
            CSTR_EQUAL)
      << localPath;
}

TEST_F(Win32ConfigTest, DownloadPathLiesInTheRealDownTmpFolder) {
  const std::string temp = fileSystem.TempDirectoryAnsi();
  const std::string path = DownloadPathFor(codePages, fileSystem, "http://host.example/a/setup.exe");
  EXPECT_EQ(path, temp + "DownTmp\\setup.exe");
  const DWORD attributes = GetFileAttributesA((temp + "DownTmp").c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);

  EXPECT_EQ(DownloadPathFor(codePages, fileSystem, "http://host.example/..\\..\\x.exe"),
            temp + "DownTmp\\x.exe");
  EXPECT_EQ(DownloadPathFor(codePages, fileSystem, "http://host.example/C:x"), "");
  EXPECT_EQ(DownloadPathFor(codePages, fileSystem, "http://host.example/nul.txt"), "");
}

TEST_F(Win32ConfigTest, ExpansionOverThePathBufferIsRefused) {
  ASSERT_TRUE(SetEnvironmentVariableA("TESSALY_TEST_DEEP", std::string(300, 'd').c_str()));
  EXPECT_EQ(ExpandEnvironmentUtf8(codePages, environment, "%TESSALY_TEST_DEEP%"), "");
  ASSERT_TRUE(SetEnvironmentVariableA("TESSALY_TEST_DEEP", "C:\\Bank"));
  EXPECT_EQ(ExpandEnvironmentUtf8(codePages, environment, "%TESSALY_TEST_DEEP%\\x"), "C:\\Bank\\x");
  SetEnvironmentVariableA("TESSALY_TEST_DEEP", nullptr);
}

}  // namespace
}  // namespace tessaly::win32
