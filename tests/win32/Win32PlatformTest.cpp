// The Win32 implementations of the platform seams against the real system (Wine here).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/SystemLibrary.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32CodePages.h"
#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ModuleResources.h"
#include "platform/win32/Win32ProgramPath.h"
#include "platform/win32/Win32SystemFacts.h"

namespace tessaly::win32 {
namespace {

TEST(Win32CodePagesTest, RoundTripsUtf8AndReplacesMalformedBytes) {
  const Win32CodePages codePages;
  const std::string utf8 = "\xE7\xBD\x91\xE9\x93\xB6 ok \xF0\x9F\x94\x91";  // 网银 ok, a key
  const std::u16string wide = codePages.ToWide(kCodePageUtf8, utf8);
  EXPECT_EQ(wide, u"\u7F51\u94F6 ok \U0001F511");
  EXPECT_EQ(codePages.FromWide(kCodePageUtf8, wide), utf8);

  EXPECT_EQ(codePages.ToWide(kCodePageUtf8, "a\xFF" "b"), u"a\uFFFD" "b");
}

TEST(Win32CodePagesTest, EmptyInputsAndUnknownCodePagesGiveEmptyText) {
  const Win32CodePages codePages;
  EXPECT_TRUE(codePages.ToWide(kCodePageUtf8, "").empty());
  EXPECT_TRUE(codePages.FromWide(kCodePageAnsi, u"").empty());
  EXPECT_TRUE(codePages.ToWide(4242, "text").empty());
  EXPECT_TRUE(codePages.FromWide(4242, u"text").empty());
}

TEST(Win32CodePagesTest, AnsiCodePageCarriesAscii) {
  const Win32CodePages codePages;
  EXPECT_EQ(codePages.ToWide(kCodePageAnsi, "C:\\Temp\\x.exe"), u"C:\\Temp\\x.exe");
  EXPECT_EQ(codePages.FromWide(kCodePageAnsi, u"C:\\Temp\\x.exe"), "C:\\Temp\\x.exe");
}

TEST(Win32ModuleResourcesTest, LoadsTheDefaultDocumentFromTheOwnModule) {
  const Win32ModuleResources resources;
  const std::string bytes = resources.LoadResourceBytes("item.xml", kResourceTypeHtml);
  ASSERT_GE(bytes.size(), 3u);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(resources.LoadResourceBytes("ITEM.XML", kResourceTypeHtml), bytes);
}

TEST(Win32ModuleResourcesTest, MissingResourcesAndWrongTypesAreEmpty) {
  const Win32ModuleResources resources;
  EXPECT_TRUE(resources.LoadResourceBytes("missing.xml", kResourceTypeHtml).empty());
  EXPECT_TRUE(resources.LoadResourceBytes("item.xml", 10).empty());
  EXPECT_TRUE(resources.LoadResourceBytes("item\xE7.xml", kResourceTypeHtml).empty());
  EXPECT_TRUE(resources.LoadResourceBytes(std::string("item\0.xml", 9), kResourceTypeHtml).empty());
}

TEST(Win32FileSystemTest, TempDirectoryEndsInBackslashAndFoldersAreCreatedOnce) {
  const Win32FileSystem files;
  const std::string temp = files.TempDirectoryAnsi();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');

  const std::string folder = temp + "tessaly-test-" + std::to_string(GetCurrentProcessId());
  RemoveDirectoryA(folder.c_str());
  EXPECT_TRUE(files.CreateDirectoryAnsi(folder));
  EXPECT_TRUE(files.CreateDirectoryAnsi(folder)) << "an existing folder is success";
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
}

TEST(Win32FileSystemTest, CreatingAFolderWhereAFileStandsFails) {
  const Win32FileSystem files;
  const std::string path =
      files.TempDirectoryAnsi() + "tessaly-file-" + std::to_string(GetCurrentProcessId());
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_FALSE(files.CreateDirectoryAnsi(path));
  EXPECT_FALSE(files.CreateDirectoryAnsi(path + "\\no\\such\\parent"));
  DeleteFileA(path.c_str());
}

TEST(Win32EnvironmentTest, ExpandsKnownVariablesAndKeepsUnknownOnes) {
  const Win32Environment environment;
  ASSERT_TRUE(SetEnvironmentVariableA("TESSALY_TEST_DIR", "C:\\Bank"));
  EXPECT_EQ(environment.ExpandAnsi("%TESSALY_TEST_DIR%\\x.dll"), "C:\\Bank\\x.dll");
  EXPECT_EQ(environment.ExpandAnsi("%TESSALY_NO_SUCH_VARIABLE%\\x"), "%TESSALY_NO_SUCH_VARIABLE%\\x");
  EXPECT_EQ(environment.ExpandAnsi(""), "");

  // Expansions far beyond any fixed path buffer come back whole.
  const std::string longValue(5000, 'v');
  ASSERT_TRUE(SetEnvironmentVariableA("TESSALY_TEST_LONG", longValue.c_str()));
  EXPECT_EQ(environment.ExpandAnsi("%TESSALY_TEST_LONG%!"), longValue + "!");
  SetEnvironmentVariableA("TESSALY_TEST_DIR", nullptr);
  SetEnvironmentVariableA("TESSALY_TEST_LONG", nullptr);
}

TEST(Win32SystemFactsTest, MajorVersionIsAWindowsNtVersion) {
  const unsigned major = Win32SystemFacts().WindowsMajorVersion();
  EXPECT_GE(major, 5u);
  EXPECT_LE(major, 10u);
}

}  // namespace
}  // namespace tessaly::win32

namespace tessaly::win32 {
namespace {

// A file named like a system library beside the program (where a download could put one)
// is never what the program loads: the system folder's library is.
TEST(SystemLibraryTest, ASystemLibraryComesFromTheSystemFolderNotTheProgramsOwn) {
  const std::u16string program = ModuleFilePath();
  const std::u16string planted = program.substr(0, program.find_last_of(u'\\') + 1) + u"schannel.dll";
  ASSERT_TRUE(CopyFileW(AsWide(program), AsWide(planted), FALSE));
  wchar_t system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_GT(length, 0u);
  for (const wchar_t* name : {L"schannel.dll", L"wininet.dll"}) {
    SCOPED_TRACE(name);
    const unique_hmodule library = LoadSystemLibrary(name);
    ASSERT_TRUE(library);
    const std::u16string loaded = ModuleFilePath(library.get());
    EXPECT_EQ(CompareStringOrdinal(AsWide(loaded), static_cast<int>(length), system,
                                   static_cast<int>(length), TRUE),
              CSTR_EQUAL)
        << "loaded from " << std::string(loaded.begin(), loaded.end());
  }
  EXPECT_FALSE(LoadSystemLibrary(L"no-such-library-anywhere.dll"));
  DeleteFileW(AsWide(planted));
}

}  // namespace
}  // namespace tessaly::win32
