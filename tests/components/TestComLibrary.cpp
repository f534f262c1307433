// A stand-in in-process COM server: registering it writes its class's InprocServer32 key
// with its own path, as a browser control's server does; it serves no objects.
#include <windows.h>

#include <string>


namespace {

HMODULE g_module = nullptr;

// The tests look for this class (tests/win32/Win32ComponentsTest.cpp, the console document).
const std::wstring kClassKey = L"CLSID\\{5D4C1B9E-7A3F-4E21-9C6B-2F8E0A1D3B57}";

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
  }
  return TRUE;
}

HRESULT WINAPI DllRegisterServer() {
  wchar_t path[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH * 4);
  if (length == 0 || length >= MAX_PATH * 4) {
    return E_FAIL;
  }
  HKEY key = nullptr;
  const std::wstring serverKey = kClassKey + L"\\InprocServer32";
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, serverKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return E_FAIL;
  }
  const LSTATUS status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                                        static_cast<DWORD>((length + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? S_OK : E_FAIL;
}

HRESULT WINAPI DllUnregisterServer() {
  RegDeleteKeyW(HKEY_CLASSES_ROOT, (kClassKey + L"\\InprocServer32").c_str());
  RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey.c_str());
  return S_OK;
}

HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* object) {
  if (object != nullptr) {
    *object = nullptr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT WINAPI DllCanUnloadNow() { return S_OK; }

}  // extern "C"
