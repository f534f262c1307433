// The program-file operations against the real file system and session manager (Wine here).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/Win32FileOperations.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

std::u16string TempPath(std::u16string_view name) {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  return std::u16string(reinterpret_cast<const char16_t*>(folder), length) + std::u16string(name);
}

void Write(const std::u16string& path, const std::string& bytes) {
  const unique_handle file(CreateFileW(AsWide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  ASSERT_TRUE(file.get() != INVALID_HANDLE_VALUE &&
              WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                        nullptr) &&
              written == bytes.size());
}

std::string Read(const std::u16string& path) {
  const unique_handle file(CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  char buffer[256];
  DWORD read = 0;
  if (file.get() == INVALID_HANDLE_VALUE ||
      !ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) {
    return "(unreadable)";
  }
  return std::string(buffer, read);
}

// The session manager's list of moves at the next start, as one text.
std::u16string PendingRestartOperations() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                    0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return {};
  }
  const unique_hkey owned(key);
  DWORD size = 0;
  if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::u16string text(size / sizeof(char16_t), u'\0');
  RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                   reinterpret_cast<BYTE*>(text.data()), &size);
  return text;
}

TEST(Win32FileOperationsTest, CopiesAndRenamesReplaceOnlyWhenAsked) {
  const Win32FileOperations files;
  const std::u16string a = TempPath(u"TessalySwapA.exe");
  const std::u16string b = TempPath(u"TessalySwapB.exe");
  Write(a, "new");
  Write(b, "old");
  EXPECT_TRUE(files.Exists(a));
  EXPECT_FALSE(files.Copy(a, b, false));
  EXPECT_EQ(Read(b), "old");
  EXPECT_TRUE(files.Copy(a, b, true));
  EXPECT_EQ(Read(b), "new");
  Write(b, "old");
  EXPECT_FALSE(files.Rename(a, b, false));
  EXPECT_TRUE(files.Rename(a, b, true));
  EXPECT_FALSE(files.Exists(a));
  EXPECT_EQ(Read(b), "new");
  EXPECT_FALSE(files.Copy(a, b, true)) << "a missing source";
  EXPECT_TRUE(files.Delete(b));
  EXPECT_FALSE(files.Delete(b));
}

TEST(Win32FileOperationsTest, AFileInUseCanBeRenamedButNotReplaced) {
  const Win32FileOperations files;
  const std::u16string used = TempPath(u"TessalySwapUsed.exe");
  const std::u16string moved = used + u".old";
  const std::u16string other = TempPath(u"TessalySwapOther.exe");
  Write(used, "running");
  Write(other, "new");
  {
    // As the loader holds a running program: others may read and rename it, not write it.
    const unique_handle held(CreateFileW(AsWide(used), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(files.Copy(other, used, true));
    EXPECT_TRUE(files.Rename(used, moved, false));
    EXPECT_TRUE(files.Rename(other, used, false));
  }
  EXPECT_EQ(Read(used), "new");
  EXPECT_EQ(Read(moved), "running");
  files.Delete(used);
  files.Delete(moved);
}

TEST(Win32FileOperationsTest, MovesAtTheNextStartAreLeftToTheSessionManager) {
  const Win32FileOperations files;
  const std::u16string staged = TempPath(u"TessalySwapStaged.exe");
  const std::u16string target = TempPath(u"TessalySwapTarget.exe");
  Write(staged, "new");
  ASSERT_TRUE(files.MoveAtRestart(staged, target));
  ASSERT_TRUE(files.DeleteAtRestart(staged));
  const std::u16string pending = PendingRestartOperations();
  EXPECT_NE(pending.find(u"TessalySwapStaged.exe"), std::u16string::npos);
  EXPECT_NE(pending.find(u"TessalySwapTarget.exe"), std::u16string::npos);
  EXPECT_TRUE(files.Exists(staged)) << "nothing moves before the restart";
  files.Delete(staged);
}

}  // namespace
}  // namespace tessaly::win32
