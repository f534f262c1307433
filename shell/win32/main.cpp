// Tessaly.exe: the program a customer runs.
#include <windows.h>

#include "shell/win32/TessalyApp.h"

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int) {
  tessaly::win32::CTessalyApp application;
  return application.Run(module, tessaly::win32::ProgramArguments());
}
