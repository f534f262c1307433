// What only a 32-bit process on 64-bit Windows meets, against the real system (the i686
// build in a WoW64 Wine prefix): the 32-bit program folder, the registry's 32-bit view of
// the classes, and the file-system redirection that shows SysWOW64 for system32. Where the
// process is not a 32-bit one on 64-bit Windows, each test says so and skips.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "diagnosis/ComponentPresence.h"
#include "platform/WindowsFacts.h"
#include "platform/portable/Utf8Codec.h"
#include "platform/win32/Win32CodePages.h"
#include "platform/win32/Win32ComponentServices.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32SystemFacts.h"
#include "platform/win32/Win32WideEnvironment.h"
#include "platform/win32/WideText.h"
#include "tests/win32/RunningSystem.h"

namespace tessaly::win32 {
namespace {

std::u16string WindowsFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  return std::u16string(reinterpret_cast<const char16_t*>(folder), length < MAX_PATH ? length : 0);
}

// Writes a small file with the redirection off for the call when `native`, so that
// "system32" is the 64-bit folder; otherwise where the 32-bit process is sent.
bool PutFile(const std::u16string& path, bool native) {
  PVOID redirection = nullptr;
  if (native && !Wow64DisableWow64FsRedirection(&redirection)) {
    return false;
  }
  const HANDLE file = CreateFileW(AsWide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool made = file != INVALID_HANDLE_VALUE && CloseHandle(file);
  if (native) {
    Wow64RevertWow64FsRedirection(redirection);
  }
  return made;
}

void RemoveFile(const std::u16string& path, bool native) {
  PVOID redirection = nullptr;
  if (native && !Wow64DisableWow64FsRedirection(&redirection)) {
    return;
  }
  DeleteFileW(AsWide(path));
  if (native) {
    Wow64RevertWow64FsRedirection(redirection);
  }
}

// A class registered with its in-process server in one view of HKLM\Software\Classes only.
LSTATUS RegisterClassIn(REGSAM view, const std::u16string& clsid, const std::u16string& server) {
  const std::u16string path = u"Software\\Classes\\CLSID\\" + clsid + u"\\InprocServer32";
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, AsWide(path), 0, nullptr, 0,
                                   KEY_WRITE | view, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    return status;
  }
  status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                          static_cast<DWORD>((server.size() + 1) * sizeof(char16_t)));
  RegCloseKey(key);
  return status;
}

void UnregisterClassIn(REGSAM view, const std::u16string& clsid) {
  const std::u16string base = u"Software\\Classes\\CLSID\\" + clsid;
  for (const std::u16string& path : {base + u"\\InprocServer32", base}) {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, AsWide(path), view, 0);
  }
}

class Win32Wow64Test : public testing::Test {
 protected:
  void SetUp() override {
    if (!RunsUnderWow64()) {
      GTEST_SKIP() << "not a 32-bit process on 64-bit Windows";
    }
  }

  ComponentPlatform platform() const {
    return {registry, codePages, environment, services.paths, services.redirection,
            services.versions, services.files, services.usb};
  }

  Win32Registry registry;
  Win32CodePages codePages;
  Win32WideEnvironment environment;
  Win32ComponentServices services;
};

TEST_F(Win32Wow64Test, TheSystemIs64BitAndThe64BitDocumentIsChosen) {
  const WindowsVersionFacts facts = Win32SystemFacts().VersionFacts();
  EXPECT_EQ(facts.processorArchitecture, PROCESSOR_ARCHITECTURE_AMD64)
      << "the system's processor, not the process's";
  EXPECT_TRUE(IsNative64BitWindows(facts));
  EXPECT_TRUE(DescribeWindows(facts).ends_with(u" 64位"));
}

TEST_F(Win32Wow64Test, EnvironmentPathsNameThe32BitProgramFolderAndTheWindowsFolder) {
  const std::u16string programFiles = ExpandEnvironment(environment, u"%ProgramFiles%");
  EXPECT_TRUE(programFiles.ends_with(u" (x86)")) << "the 32-bit folder";
  EXPECT_EQ(programFiles, ExpandEnvironment(environment, u"%ProgramFiles(x86)%"));
  EXPECT_NE(programFiles, ExpandEnvironment(environment, u"%ProgramW6432%"));
  const std::u16string windows = WindowsFolder();
  ASSERT_FALSE(windows.empty());
  EXPECT_EQ(ExpandEnvironment(environment, u"%SystemRoot%\\system32\\drivers\\etc\\hosts"),
            windows + u"\\system32\\drivers\\etc\\hosts");
  EXPECT_EQ(ExpandEnvironment(environment, u"%windir%"), windows);
}

// A `bit` item sees the 64-bit system32 and the 64-bit registry view; a plain item sees
// SysWOW64 and Wow6432Node. Each file and class exists on one side only.
TEST_F(Win32Wow64Test, BitItemsSeeTheNativeSidePlainItemsThe32BitSide) {
  const std::u16string windows = WindowsFolder();
  ASSERT_FALSE(windows.empty());
  const std::u16string nativeFile = windows + u"\\system32\\tessaly-wow64-native.dat";
  const std::u16string redirectedFile = windows + u"\\system32\\tessaly-wow64-32.dat";
  const std::u16string nativeClass = u"{6E1F3A20-94B7-4C55-8D2E-71A0C3B9F401}";
  const std::u16string redirectedClass = u"{6E1F3A20-94B7-4C55-8D2E-71A0C3B9F402}";
  ASSERT_TRUE(PutFile(nativeFile, true));
  ASSERT_TRUE(PutFile(redirectedFile, false));
  ASSERT_EQ(RegisterClassIn(KEY_WOW64_64KEY, nativeClass, nativeFile), ERROR_SUCCESS);
  ASSERT_EQ(RegisterClassIn(KEY_WOW64_32KEY, redirectedClass, redirectedFile), ERROR_SUCCESS);
  // The 32-bit file really lies in SysWOW64, not in the native system32.
  EXPECT_NE(GetFileAttributesW(AsWide(windows + u"\\syswow64\\tessaly-wow64-32.dat")),
            INVALID_FILE_ATTRIBUTES);

  const struct {
    std::u16string path;
    std::u16string bit;
    bool exists;
  } files[] = {
      {u"%SystemRoot%\\system32\\tessaly-wow64-native.dat", u"64", true},
      {u"%SystemRoot%\\system32\\tessaly-wow64-native.dat", u"", false},
      {u"%SystemRoot%\\system32\\tessaly-wow64-32.dat", u"", true},
      {u"%SystemRoot%\\system32\\tessaly-wow64-32.dat", u"64", false},
      // After a `bit` test the thread is redirected again.
      {u"%SystemRoot%\\system32\\tessaly-wow64-native.dat", u"", false},
  };
  for (const auto& file : files) {
    EXPECT_EQ(PathExistsFor(platform(), file.path, file.bit), file.exists)
        << EncodeUtf8(file.path) << " bit=" << EncodeUtf8(file.bit);
  }
  const struct {
    std::u16string clsid;
    std::u16string bit;
    bool registered;
  } classes[] = {
      {nativeClass, u"64", true},
      {nativeClass, u"", false},
      {redirectedClass, u"", true},
      {redirectedClass, u"64", false},
  };
  for (const auto& entry : classes) {
    EXPECT_EQ(IsClsidRegistered(platform(), entry.clsid, entry.bit), entry.registered)
        << EncodeUtf8(entry.clsid) << " bit=" << EncodeUtf8(entry.bit);
  }

  UnregisterClassIn(KEY_WOW64_64KEY, nativeClass);
  UnregisterClassIn(KEY_WOW64_32KEY, redirectedClass);
  RemoveFile(nativeFile, true);
  RemoveFile(redirectedFile, false);
}

}  // namespace
}  // namespace tessaly::win32
