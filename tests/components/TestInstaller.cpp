// A stand-in installer: appends the command line it was started with, in UTF-8, as one line
// of "test-installer-command.txt" beside itself, and exits with 0. The tests read the file
// to see how the program quoted its path, and how often it ran. Started with "/linger", it
// keeps running for a while, as a real installer does, and then appends "finished": a test
// that closes the program meanwhile sees whether the installer was left to end on its own.
#include <windows.h>

#include <string>
#include <string_view>

namespace {

constexpr DWORD kLingerMs = 20000;

bool AppendLine(const std::wstring& file, std::string line) {
  line += '\n';
  const HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD written = 0;
  const BOOL ok = WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(handle);
  return ok && written == line.size();
}

}  // namespace

int wmain() {
  wchar_t self[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
  if (length == 0 || length >= MAX_PATH * 4) {
    return 1;
  }
  std::wstring record(self, length);
  record.erase(record.find_last_of(L'\\') + 1);
  record += L"test-installer-command.txt";

  const wchar_t* commandLine = GetCommandLineW();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) {
    return 1;
  }
  std::string line(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, line.data(), bytes, nullptr, nullptr);
  line.pop_back();  // the terminating zero
  if (!AppendLine(record, line)) {
    return 1;
  }
  if (std::wstring_view(commandLine).find(L" /linger") == std::wstring_view::npos) {
    return 0;
  }
  Sleep(kLingerMs);
  return AppendLine(record, "finished") ? 0 : 1;
}
