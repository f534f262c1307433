// A DLL with GCC's thread_local: emulated TLS (TlsAlloc at run time), which XP can serve
// to a library loaded with LoadLibrary. Its runtime needs GetTickCount64, though.
extern "C" __declspec(dllexport) int NextCount() {
  thread_local int count = 0;
  return ++count;
}
