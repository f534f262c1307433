#include <windows.h>

#include "adapters/ravelin/win32/RavelinLibrary.h"

// Deployment at load and clean-up at unload; a failed deployment or a token manager that
// cannot be bound refuses the load (the caller gets no library).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      DisableThreadLibraryCalls(instance);
      return tessaly::ravelin::win32::AttachLibrary(instance) ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      // Also when the process ends (`reserved` set): the clean-up deletes files only.
      static_cast<void>(reserved);
      tessaly::ravelin::win32::DetachLibrary();
      return TRUE;
    default:
      return TRUE;
  }
}
