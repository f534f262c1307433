// Starting processes for real: cmd.exe is there under Wine as on Windows.
#include "platform/win32/Win32ProcessLauncher.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

std::u16string TempFile(const char16_t* stem) {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  std::u16string path(reinterpret_cast<const char16_t*>(folder), length);
  path += stem;
  for (const char c : std::to_string(GetCurrentProcessId())) {
    path.push_back(static_cast<char16_t>(c));
  }
  path += u".txt";
  DeleteFileW(AsWide(path));
  return path;
}

bool Exists(const std::u16string& path) {
  return GetFileAttributesW(AsWide(path)) != INVALID_FILE_ATTRIBUTES;
}

std::string Contents(const std::u16string& path) {
  std::ifstream file(AsWide(path), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// cmd.exe writing `text` into `path`; the redirection sits right after the text so no
// space ends up in the file.
std::u16string EchoInto(const std::u16string& path, const std::u16string& text) {
  return u"cmd.exe /c echo " + text + u"> \"" + path + u"\"";
}

bool AppearsWithin(const std::u16string& path, DWORD milliseconds) {
  for (DWORD waited = 0; waited < milliseconds; waited += 50) {
    if (Exists(path)) {
      return true;
    }
    Sleep(50);
  }
  return Exists(path);
}

TEST(Win32ProcessLauncherTest, WithWaitReturnsAfterTheProcessHasEnded) {
  Win32ProcessLauncher launcher;
  const std::u16string output = TempFile(u"tessaly-wait-");
  ASSERT_TRUE(launcher.RunCommand(EchoInto(output, u"finished"), true));
  EXPECT_EQ(Contents(output), "finished\r\n") << "the file is complete when the call returns";
  EXPECT_TRUE(launcher.RunCommand(u"cmd.exe /c exit 3", true)) << "an exit code is no start failure";
  DeleteFileW(AsWide(output));
}

TEST(Win32ProcessLauncherTest, WithoutWaitTheProcessRunsOnItsOwn) {
  Win32ProcessLauncher launcher;
  const std::u16string output = TempFile(u"tessaly-nowait-");
  ASSERT_TRUE(launcher.RunCommand(EchoInto(output, u"later"), false));
  EXPECT_TRUE(AppearsWithin(output, 10000));
  Sleep(200);  // let cmd.exe finish writing and let go of the file
  DeleteFileW(AsWide(output));
}

TEST(Win32ProcessLauncherTest, ACommandThatCannotStartAnswersFalse) {
  Win32ProcessLauncher launcher;
  EXPECT_FALSE(launcher.RunCommand(u"C:\\no\\such\\folder\\tessaly-missing.exe", true));
  EXPECT_FALSE(launcher.RunCommand(u"\"C:\\no\\such\\folder\\tessaly missing.exe\" /x", false));
  EXPECT_FALSE(launcher.RunCommand(u"", false));
}

TEST(Win32ProcessLauncherTest, ALineLongerThanAPathBufferRunsWhole) {
  Win32ProcessLauncher launcher;
  const std::u16string output = TempFile(u"tessaly-long-");
  const std::u16string text(2000, u'x');
  const std::u16string command = EchoInto(output, text);
  ASSERT_GT(command.size(), 260u);
  ASSERT_TRUE(launcher.RunCommand(command, true));
  EXPECT_EQ(Contents(output), std::string(2000, 'x') + "\r\n");
  DeleteFileW(AsWide(output));
}

TEST(Win32ProcessLauncherTest, TheSystemsLengthLimitIsKeptAndNothingIsCut) {
  Win32ProcessLauncher launcher;
  // hostname.exe ignores what follows; cmd.exe would have to parse such a line itself.
  std::u16string atLimit = u"hostname.exe ";
  atLimit.resize(kMaxCommandLineLength, u'y');
  EXPECT_TRUE(launcher.RunCommand(atLimit, true));
  EXPECT_FALSE(launcher.RunCommand(atLimit + u"y", true));

  // A zero would end the line early for the system: the part before it must not run.
  const std::u16string output = TempFile(u"tessaly-zero-");
  std::u16string withZero = EchoInto(output, u"cut");
  withZero.push_back(u'\0');
  withZero += u" & echo rest";
  EXPECT_FALSE(launcher.RunCommand(withZero, true));
  EXPECT_FALSE(Exists(output));
}

// The number of handles this process holds, from the system's handle list (Wine's
// GetProcessHandleCount always says 0); nothing when the list cannot be read.
std::optional<int> OpenHandleCount() {
  struct HandleEntry {  // SYSTEM_HANDLE_TABLE_ENTRY_INFO
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectType;
    UCHAR attributes;
    USHORT handle;
    PVOID object;
    ULONG grantedAccess;
  };
  struct HandleList {  // SYSTEM_HANDLE_INFORMATION: a count, then the entries
    ULONG count;
    HandleEntry first;
  };
  using QueryFunction = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  constexpr ULONG kSystemHandleInformation = 16;
  std::vector<std::uint8_t> buffer(1 << 20);
  ULONG needed = 0;
  while (query != nullptr) {
    const LONG status = query(kSystemHandleInformation, buffer.data(),
                              static_cast<ULONG>(buffer.size()), &needed);
    if (status == static_cast<LONG>(0xC0000004) && buffer.size() < (1u << 28)) {  // too small
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status != 0) {
      break;
    }
    ULONG entries = 0;
    memcpy(&entries, buffer.data(), sizeof entries);
    if (entries > (buffer.size() - offsetof(HandleList, first)) / sizeof(HandleEntry)) {
      break;
    }
    const std::size_t offset = offsetof(HandleList, first);
    const auto own = static_cast<USHORT>(GetCurrentProcessId());
    int count = 0;
    for (ULONG i = 0; i < entries; ++i) {
      HandleEntry entry{};
      memcpy(&entry, buffer.data() + offset + i * sizeof entry, sizeof entry);
      count += entry.processId == own ? 1 : 0;
    }
    return count;
  }
  return std::nullopt;
}

TEST(Win32ProcessLauncherTest, LeavesNoHandlesBehind) {
  Win32ProcessLauncher launcher;
  ASSERT_TRUE(launcher.RunCommand(u"cmd.exe /c exit 0", true));  // warm up the loader
  const std::optional<int> before = OpenHandleCount();
  if (!before) {
    GTEST_SKIP() << "the system's handle list cannot be read here";
  }
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(launcher.RunCommand(u"cmd.exe /c exit 0", true));
  }
  EXPECT_FALSE(launcher.RunCommand(u"C:\\no\\such\\folder\\tessaly-missing.exe", true));
  EXPECT_EQ(OpenHandleCount(), before);
}

}  // namespace
}  // namespace tessaly::win32
