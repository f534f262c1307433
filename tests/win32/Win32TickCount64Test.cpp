// GetTickCount64 is declared from Vista on only; this test calls it through the module's
// import slot, which every module of the Windows build fills itself.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600

#include "platform/win32/runtime/TickCount64.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tessaly::win32 {
namespace {

void* Address(TickCount64Function function) { return reinterpret_cast<void*>(function); }

TickCount64Function Kernel32TickCount64() {
  return reinterpret_cast<TickCount64Function>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
}

// Whether `count` lies between the readings `before` and `after` of the 32-bit counter
// underneath, across a wrap too.
bool LowBitsBetween(ULONGLONG before, ULONGLONG count, ULONGLONG after) {
  return static_cast<std::uint32_t>(count - before) <= static_cast<std::uint32_t>(after - before);
}

TEST(Win32TickCount64Test, CallsOfGetTickCount64ReachTheSuppliedFunction) {
  EXPECT_EQ(Address(&GetTickCount64), Address(&SuppliedTickCount64));
  EXPECT_NE(Address(Kernel32TickCount64()), Address(&SuppliedTickCount64));
}

TEST(Win32TickCount64Test, WhereKernel32HasGetTickCount64ItsOwnAnswers) {
  const TickCount64Function own = Kernel32TickCount64();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(Address(ChooseTickCount64(GetModuleHandleW(L"kernel32.dll"))), Address(own));
  const ULONGLONG before = own();
  const ULONGLONG supplied = GetTickCount64();
  const ULONGLONG after = own();
  EXPECT_LE(before, supplied);
  EXPECT_LE(supplied, after);
}

TEST(Win32TickCount64Test, WithoutGetTickCount64AsOnXpGetTickCountIsWidened) {
  // The test program itself stands for XP's kernel32: a module without the export.
  EXPECT_EQ(Address(ChooseTickCount64(GetModuleHandleW(nullptr))), Address(&XpTickCount64));
  EXPECT_EQ(Address(ChooseTickCount64(nullptr)), Address(&XpTickCount64));

  const TickCount64Function own = Kernel32TickCount64();
  ASSERT_NE(own, nullptr);
  const ULONGLONG before = own();
  const ULONGLONG first = XpTickCount64();
  Sleep(50);
  const ULONGLONG second = XpTickCount64();
  const ULONGLONG after = own();
  EXPECT_TRUE(LowBitsBetween(before, first, after)) << before << ' ' << first << ' ' << after;
  EXPECT_TRUE(LowBitsBetween(before, second, after)) << before << ' ' << second << ' ' << after;
  EXPECT_GE(second - first, 40u);
}

}  // namespace
}  // namespace tessaly::win32
