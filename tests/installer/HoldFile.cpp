// Holds a file open without sharing until it is ended, as a program using the file would:
// the installer tests' file that stays locked. Writes "held" once the file is held, so the
// test knows when to go on.
//   hold_file PATH     exit status 1 when the file cannot be opened
#include <windows.h>

int wmain(int count, wchar_t** arguments) {
  if (count != 2) {
    return 2;
  }
  const HANDLE file = CreateFileW(arguments[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return 1;
  }
  constexpr char kHeld[] = "held\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), kHeld, sizeof kHeld - 1, &written, nullptr);
  // Held until the test ends the process, which closes the file.
  Sleep(INFINITE);
  return 0;
}
