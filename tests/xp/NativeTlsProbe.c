/* Thread-local data as compilers with native TLS (clang, MSVC) emit it: a slot in the
   loader's TLS template, reached through _tls_index, which XP leaves unset for a DLL
   loaded with LoadLibrary. */
_Thread_local int count = 5;

__declspec(dllexport) int NextCount(void) { return ++count; }

int main(void) { return NextCount() == 6 ? 0 : 1; }
