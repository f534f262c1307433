// Version resources, file digests, download targets and wide environment expansion against
// the real system (Wine here).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/FileDigest.h"
#include "platform/WideEnvironment.h"
#include "platform/win32/Win32FileAccess.h"
#include "platform/win32/Win32FileVersion.h"
#include "platform/win32/Win32WideEnvironment.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

std::u16string ProgramPath() {
  std::u16string path(32768, u'\0');
  const DWORD length =
      GetModuleFileNameW(nullptr, AsWide(path), static_cast<DWORD>(path.size()));
  path.resize(length);
  return path;
}

// Files in the temporary folder, removed when the test ends.
class TemporaryFiles {
 public:
  TemporaryFiles() {
    char folder[MAX_PATH + 1];
    folder_.assign(folder, GetTempPathA(MAX_PATH + 1, folder));
  }
  ~TemporaryFiles() {
    for (const std::string& path : paths_) {
      DeleteFileA(path.c_str());
    }
  }
  TemporaryFiles(const TemporaryFiles&) = delete;
  TemporaryFiles& operator=(const TemporaryFiles&) = delete;

  std::string Make(const std::string& name, const std::string& bytes) {
    const std::string path = Path(name);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
  }
  std::string Path(const std::string& name) {
    paths_.push_back(folder_ + "tessaly-" + std::to_string(GetCurrentProcessId()) + "-" + name);
    return paths_.back();
  }
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
  std::vector<std::string> paths_;
};

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

TEST(Win32FileVersionTest, ReadsTheFixedBlockOfTheTestProgram) {
  const Win32FileVersion versions;
  FixedFileVersion version;
  ASSERT_TRUE(versions.QueryFileVersion(ProgramPath(), &version));
  EXPECT_EQ(version.signature, kFixedFileVersionSignature);
  EXPECT_EQ(version.fileVersionMS, (7u << 16) | 6u);
  EXPECT_EQ(version.fileVersionLS, (5u << 16) | 4u);
  EXPECT_TRUE(versions.QueryFileVersion(ProgramPath(), nullptr)) << "the block is optional";
}

TEST(Win32FileVersionTest, FilesWithoutAVersionResourceHaveNone) {
  const Win32FileVersion versions;
  TemporaryFiles files;
  FixedFileVersion version;
  EXPECT_FALSE(versions.QueryFileVersion(Widen(files.Make("plain.txt", "no resources")), &version));
  EXPECT_FALSE(versions.QueryFileVersion(Widen(files.Path("missing.dll")), &version));
  EXPECT_FALSE(versions.QueryFileVersion(u"", &version));
}

TEST(Win32FileMd5Test, DigestsOfRealFiles) {
  const Win32FileAccess access;
  TemporaryFiles files;
  EXPECT_EQ(FileMd5Hex(access, files.Make("empty.bin", "")), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(FileMd5Hex(access, files.Make("abc.bin", "abc")), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(FileMd5Hex(access, files.Make("million.bin", std::string(1000000, 'a'))),
            "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Win32FileMd5Test, MissingFilesAndFoldersHaveNoDigest) {
  const Win32FileAccess access;
  TemporaryFiles files;
  EXPECT_EQ(FileMd5Hex(access, files.Path("missing.bin")), "");
  EXPECT_EQ(FileMd5Hex(access, files.folder()), "");
  EXPECT_EQ(FileMd5Hex(access, ""), "");
}

TEST(Win32FileAccessTest, ADownloadTargetIsExclusiveUntilClosed) {
  const Win32FileAccess access;
  TemporaryFiles files;
  const std::u16string path = Widen(files.Make("target.bin", std::string(1000, 'o')));

  auto target = access.CreateExclusive(path);
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->Size(), 0u) << "an existing file is truncated";
  EXPECT_EQ(access.CreateExclusive(path), nullptr) << "no second writer";
  EXPECT_EQ(access.OpenForReading(std::string(path.begin(), path.end())), nullptr)
      << "no reader either";
  EXPECT_FALSE(access.Delete(path)) << "an open target cannot be deleted";

  ASSERT_TRUE(target->Write(std::string_view("0123456789")));
  EXPECT_EQ(target->Size(), 10u);
  EXPECT_TRUE(target->Close());
  EXPECT_FALSE(target->Close()) << "closed once";
  EXPECT_FALSE(target->Write(std::string_view("x")));
  EXPECT_EQ(FileMd5Hex(access, std::string(path.begin(), path.end())),
            "781e5e245d69b566979b86e28d23f2c7");
  EXPECT_TRUE(access.Delete(path));
  EXPECT_FALSE(access.Delete(path));
}

TEST(Win32WideEnvironmentTest, ExpandsWideTextsAndRefusesWhatWouldNotFit) {
  const Win32WideEnvironment environment;
  ASSERT_TRUE(SetEnvironmentVariableW(L"TESSALY_WIDE_DIR", L"C:\\\u7F51\u94F6"));
  EXPECT_EQ(ExpandEnvironment(environment, u"%TESSALY_WIDE_DIR%\\x.dll"), u"C:\\\u7F51\u94F6\\x.dll")
      << "characters outside the ANSI code page survive";
  EXPECT_EQ(ExpandEnvironment(environment, u"%TESSALY_NO_SUCH_VARIABLE%\\x"),
            u"%TESSALY_NO_SUCH_VARIABLE%\\x");

  const std::wstring longValue(kMaxExpandedChars, L'd');
  ASSERT_TRUE(SetEnvironmentVariableW(L"TESSALY_WIDE_DIR", longValue.c_str()));
  EXPECT_EQ(ExpandEnvironment(environment, u"%TESSALY_WIDE_DIR%").size(), kMaxExpandedChars);
  EXPECT_EQ(ExpandEnvironment(environment, u"%TESSALY_WIDE_DIR%\\"), u"") << "one too many";
  SetEnvironmentVariableW(L"TESSALY_WIDE_DIR", nullptr);
}

}  // namespace
}  // namespace tessaly::win32
