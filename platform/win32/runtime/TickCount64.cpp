#include "platform/win32/runtime/TickCount64.h"

#include <atomic>
#include <cstdint>

#include "platform/portable/WideTickCounter.h"

namespace tessaly::win32 {
namespace {

std::uint32_t ReadTickCount() { return GetTickCount(); }

// Constant-initialised, so it works even for calls made while the runtime starts up.
constinit WideTickCounter xpCounter(&ReadTickCount);
constinit std::atomic<TickCount64Function> chosen{nullptr};

}  // namespace

ULONGLONG WINAPI XpTickCount64() { return xpCounter.Now(); }

TickCount64Function ChooseTickCount64(HMODULE kernel32) {
  const FARPROC own = kernel32 == nullptr ? nullptr : GetProcAddress(kernel32, "GetTickCount64");
  if (own == nullptr) {
    return &XpTickCount64;
  }
  return reinterpret_cast<TickCount64Function>(reinterpret_cast<void*>(own));
}

ULONGLONG WINAPI SuppliedTickCount64() {
  TickCount64Function tickCount = chosen.load(std::memory_order_acquire);
  if (tickCount == nullptr) {
    // Threads that race here all make the same choice, so either store is right.
    tickCount = ChooseTickCount64(GetModuleHandleW(L"kernel32.dll"));
    chosen.store(tickCount, std::memory_order_release);
  }
  return tickCount();
}

}  // namespace tessaly::win32

// The import slot itself: the pointer through which code compiled against the declaration
// of GetTickCount64 in <windows.h> calls it. Defined here, it satisfies the linker before
// kernel32's import library is searched, so the module's import table never names the
// function. The slot's name is the decorated one of each architecture.
#if defined(__i386__)
#define TESSALY_TICK_COUNT64_SLOT "__imp__GetTickCount64@0"
#else
#define TESSALY_TICK_COUNT64_SLOT "__imp_GetTickCount64"
#endif
extern "C" {
extern const tessaly::win32::TickCount64Function tessalyTickCount64Slot
    __asm__(TESSALY_TICK_COUNT64_SLOT);
const tessaly::win32::TickCount64Function tessalyTickCount64Slot =
    &tessaly::win32::SuppliedTickCount64;
}
