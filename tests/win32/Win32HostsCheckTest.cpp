// The hosts check against the system's own hosts file (Wine's here), and the whole-file
// seam it reads and replaces that file through.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "diagnosis/HostsCheck.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32WholeFiles.h"
#include "platform/win32/Win32WideEnvironment.h"

namespace tessaly::win32 {
namespace {

// Plain Win32 file access, independent of the code under test, for setting up, looking at
// and restoring files.
std::optional<std::string> ReadRaw(const std::u16string& path) {
  HANDLE file = CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  CloseHandle(file);
  return bytes;
}

bool WriteRaw(const std::u16string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(AsWide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr) && written == bytes.size();
  return CloseHandle(file) && ok;
}

// Runs `action` on the files a 64-bit program sees: a 32-bit process on 64-bit Windows has
// its redirection switched off around it (a 64-bit process is never redirected, and 32-bit
// Windows has nothing to switch).
template <typename Action>
auto OnNativeFiles(Action action) {
  PVOID redirection = nullptr;
  const bool switched = Wow64DisableWow64FsRedirection(&redirection);
  auto result = action();
  if (switched) {
    Wow64RevertWow64FsRedirection(redirection);
  }
  return result;
}

bool Exists(const std::u16string& path) {
  return GetFileAttributesW(AsWide(path)) != INVALID_FILE_ATTRIBUTES;
}

// The names in `folder` (ending in a separator) that match `pattern`.
std::vector<std::u16string> Listed(const std::u16string& folder, const std::u16string& pattern) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW found{};
  const std::u16string query = folder + pattern;
  HANDLE search = FindFirstFileW(AsWide(query), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return names;
  }
  do {
    names.emplace_back(reinterpret_cast<const char16_t*>(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// Keeps the bytes of a file, or that it was missing, and puts that back at the end,
// however the test ends.
class RestoredAtExit {
 public:
  explicit RestoredAtExit(std::u16string path) : path_(std::move(path)), saved_(ReadRaw(path_)) {}
  ~RestoredAtExit() {
    SetFileAttributesW(AsWide(path_), FILE_ATTRIBUTE_NORMAL);
    if (saved_) {
      WriteRaw(path_, *saved_);
    } else {
      DeleteFileW(AsWide(path_));
    }
  }
  RestoredAtExit(const RestoredAtExit&) = delete;
  RestoredAtExit& operator=(const RestoredAtExit&) = delete;

 private:
  std::u16string path_;
  std::optional<std::string> saved_;
};

// A fresh folder under the temporary folder, removed with what is left in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    path_.assign(reinterpret_cast<const char16_t*>(temp), length);
    const std::string id = std::to_string(GetCurrentProcessId());
    path_ += u"tessaly-hosts-" + std::u16string(id.begin(), id.end()) + u"\\";
    CreateDirectoryW(AsWide(path_), nullptr);
  }
  ~ScratchFolder() {
    for (const std::u16string& name : Listed(path_, u"*")) {
      if (name != u"." && name != u"..") {
        const std::u16string path = path_ + name;
        if (!DeleteFileW(AsWide(path))) {
          RemoveDirectoryW(AsWide(path));
        }
      }
    }
    RemoveDirectoryW(AsWide(path_));
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::u16string& path() const { return path_; }
  std::vector<std::u16string> Siblings() const { return Listed(path_, u"~tessaly-*"); }

 private:
  std::u16string path_;
};

TEST(Win32HostsCheckTest, ChecksAndRepairsTheSystemHostsFile) {
  const Win32WideEnvironment environment;
  const Win32WholeFiles files;
  const std::u16string path = ExpandEnvironment(environment, kHostsFilePath);
  ASSERT_TRUE(path.ends_with(u"\\system32\\drivers\\etc\\hosts")) << path.size();
  const RestoredAtExit restore(path);

  // The file is arranged and looked at where Windows itself reads it, which a 32-bit
  // process on 64-bit Windows reaches only because drivers\etc is not redirected.
  CheckConfig config;
  config.groups.push_back({.type = "host", .entries = {{.text = "ebank.example.cn"}}});
  ASSERT_TRUE(OnNativeFiles([&] {
    return WriteRaw(path,
                    "127.0.0.1 localhost\r\n6.6.6.6 EBANK.example.cn\r\n"
                    "::1 ebank.example.cn\r\n7.7.7.7 ebank.example.cn");
  }));
  EXPECT_FALSE(CheckHosts(config, environment, files, false));
  EXPECT_FALSE(config.hostsOk);

  EXPECT_TRUE(CheckHosts(config, environment, files, true));
  EXPECT_EQ(OnNativeFiles([&] { return ReadRaw(path); }),
            "\r\n127.0.0.1 localhost\r\n::1 ebank.example.cn\r\n");
  EXPECT_TRUE(CheckHosts(config, environment, files, false));
  EXPECT_TRUE(config.hostsOk);

  // A read-only hosts file is repaired and stays read-only.
  const DWORD marks = FILE_ATTRIBUTE_READONLY;
  ASSERT_TRUE(WriteRaw(path, "127.0.0.1 localhost\r\n6.6.6.6 ebank.example.cn\r\n"));
  ASSERT_TRUE(SetFileAttributesW(AsWide(path), marks));
  EXPECT_FALSE(CheckHosts(config, environment, files, false));
  EXPECT_TRUE(CheckHosts(config, environment, files, true));
  EXPECT_EQ(ReadRaw(path), "\r\n127.0.0.1 localhost\r\n");
  EXPECT_EQ(GetFileAttributesW(AsWide(path)) & marks, marks) << "still read-only";
  EXPECT_TRUE(CheckHosts(config, environment, files, false));

  const std::u16string folder = path.substr(0, path.size() - 5);
  EXPECT_TRUE(Listed(folder, u"~tessaly-*").empty()) << "nothing is left beside the file";
}

TEST(Win32WholeFilesTest, ReadsWholeFilesWithinTheBoundAndTellsMissingFromUnreadable) {
  const ScratchFolder scratch;
  const Win32WholeFiles files;
  const std::u16string file = scratch.path() + u"hosts";
  ASSERT_TRUE(WriteRaw(file, std::string("a\0b\r\n", 5)));

  const WholeFileContent read = files.Read(file, 5);
  EXPECT_EQ(read.status, WholeFileStatus::kRead);
  EXPECT_EQ(read.bytes, std::string("a\0b\r\n", 5));
  EXPECT_EQ(files.Read(file, 4).status, WholeFileStatus::kUnreadable) << "larger than the bound";

  EXPECT_EQ(files.Read(scratch.path() + u"none", 100).status, WholeFileStatus::kMissing);
  EXPECT_EQ(files.Read(scratch.path() + u"no\\none", 100).status, WholeFileStatus::kMissing);
  EXPECT_EQ(files.Read(scratch.path() + u".", 100).status, WholeFileStatus::kUnreadable)
      << "a folder";
  EXPECT_EQ(files.Read(u"", 100).status, WholeFileStatus::kUnreadable);

  // Held open without sharing by someone else.
  HANDLE locked = CreateFileW(AsWide(file), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.Read(file, 100).status, WholeFileStatus::kUnreadable);
  CloseHandle(locked);
}

TEST(Win32WholeFilesTest, ReplacesOrCreatesFilesWholeAndLeavesNothingBeside) {
  const ScratchFolder scratch;
  const Win32WholeFiles files;
  const std::u16string file = scratch.path() + u"hosts";
  EXPECT_TRUE(files.Replace(file, "created\r\n"));
  EXPECT_EQ(ReadRaw(file), "created\r\n");
  EXPECT_TRUE(files.Replace(file, "replaced"));
  EXPECT_EQ(ReadRaw(file), "replaced");
  EXPECT_TRUE(files.Replace(file, ""));
  EXPECT_EQ(ReadRaw(file), "");
  EXPECT_TRUE(scratch.Siblings().empty());
}

TEST(Win32WholeFilesTest, AFailingReplaceLeavesTheTargetAsItWasAndNothingBeside) {
  const ScratchFolder scratch;
  const Win32WholeFiles files;

  // The new content cannot even be written: the folder is missing.
  const std::u16string missingFolder = scratch.path() + u"missing\\";
  EXPECT_FALSE(files.Replace(missingFolder + u"hosts", "new"));
  EXPECT_FALSE(Exists(missingFolder));

  // Written completely, but it cannot take the target's place: a folder is in the way...
  const std::u16string folder = scratch.path() + u"hosts";
  ASSERT_TRUE(CreateDirectoryW(AsWide(folder), nullptr));
  EXPECT_FALSE(files.Replace(folder, "new"));
  EXPECT_TRUE(GetFileAttributesW(AsWide(folder)) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(scratch.Siblings().empty());

  // ...or the target is held open by someone who shares it with nobody.
  const std::u16string file = scratch.path() + u"held";
  ASSERT_TRUE(WriteRaw(file, "old"));
  HANDLE held = CreateFileW(AsWide(file), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(files.Replace(file, "new"));
  CloseHandle(held);
  EXPECT_EQ(ReadRaw(file), "old");
  EXPECT_TRUE(scratch.Siblings().empty());

  EXPECT_FALSE(files.Replace(u"", "new"));
  EXPECT_FALSE(files.Replace(std::u16string(u"a\0b", 3), "new"));
}

}  // namespace
}  // namespace tessaly::win32
