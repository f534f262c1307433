#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win32/Win32ProgramPath.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

TEST(ModuleFilePath, NamesTheRunningProgramInFull) {
  const std::u16string path = ModuleFilePath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(path.ends_with(u"\\tessaly_tests.exe")) << std::string(path.begin(), path.end());
  // The same answer as a buffer that is surely large enough.
  std::u16string expected(32768, u'\0');
  expected.resize(GetModuleFileNameW(nullptr, AsWide(expected),
                                     static_cast<DWORD>(expected.size())));
  EXPECT_EQ(path, expected);
}

TEST(ModuleFilePath, NamesALoadedLibraryAndNothingForABadHandle) {
  const std::u16string kernel = ModuleFilePath(GetModuleHandleW(L"kernel32.dll"));
  ASSERT_GT(kernel.size(), 12u);
  EXPECT_EQ(lstrcmpiW(AsWide(kernel) + kernel.size() - 12, L"kernel32.dll"), 0);
  const auto notAModule = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x10));
  EXPECT_TRUE(ModuleFilePath(notAModule).empty());
}

}  // namespace
}  // namespace tessaly::win32
