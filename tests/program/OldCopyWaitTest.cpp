#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/UniqueHandles.h"
#include "shell/win32/TessalyApp.h"

namespace tessaly::win32 {
namespace {

std::u16string TempFile(const char16_t* name) {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  return std::u16string(reinterpret_cast<const char16_t*>(folder), length) + name;
}

unique_handle CreateFileAt(const std::u16string& path, DWORD share) {
  return unique_handle(CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()),
                                   GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Exists(const std::u16string& path) {
  return GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str())) !=
         INVALID_FILE_ATTRIBUTES;
}

TEST(OldCopyWaitTest, MissingCopyNeedsNoWaitAndAReleasedOneIsDeleted) {
  const std::u16string path = TempFile(u"TessalyOldCopyTest.exe.old");
  DeleteFileW(reinterpret_cast<const wchar_t*>(path.c_str()));
  const DWORD started = GetTickCount();
  EXPECT_TRUE(DeleteWhenReleased(path, 5000, 100));
  EXPECT_LT(GetTickCount() - started, 1000u);
  { const unique_handle file = CreateFileAt(path, 0); ASSERT_TRUE(file); }
  EXPECT_TRUE(DeleteWhenReleased(path, 5000, 100));
  EXPECT_FALSE(Exists(path));
}

TEST(OldCopyWaitTest, ACopyKeptOpenIsGivenUpAfterTheBound) {
  const std::u16string path = TempFile(u"TessalyOldCopyHeld.exe.old");
  {
    const unique_handle held = CreateFileAt(path, 0);  // no sharing: it cannot be deleted
    ASSERT_TRUE(held);
    const DWORD started = GetTickCount();
    EXPECT_FALSE(DeleteWhenReleased(path, 500, 100));
    const DWORD waited = GetTickCount() - started;
    EXPECT_GE(waited, 400u);
    EXPECT_LT(waited, 3000u);
    EXPECT_TRUE(Exists(path));
  }
  EXPECT_TRUE(DeleteWhenReleased(path, 500, 100));
}

}  // namespace
}  // namespace tessaly::win32
