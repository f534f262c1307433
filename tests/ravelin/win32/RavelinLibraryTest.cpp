// Ravelin.dll as its callers see it: loaded by path, its exports looked up by name through
// the contract's types, over the stand-in token manager it carries, whose keys come from a
// file the test writes. Without a display Wine shows no message box: a box is looked for
// only on one (xvfb-run), where it is read and dismissed from outside its process.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "adapters/keyadapter/KeyAdapter.h"
#include "adapters/ravelin/InstalledMiddlewareFiles.h"
#include "tests/ravelin/RavelinTestServices.h"
#include "tests/ravelin/win32/StandInCertificates.h"
#include "tests/win32/RunningSystem.h"

namespace tessaly::ravelin::testing {
namespace {

namespace ka = tessaly::keyadapter;

constexpr char kSerial[] = "WD0123456789";
// How often the second process of the two-process test loads, uses and unloads the library.
constexpr DWORD kCycleRounds = 5;
constexpr char kOtherSerial[] = "WD9876543210";
constexpr wchar_t kLockHeldEvent[] = L"TessalyRavelinTestLockHeld";

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::string TempFolder() {
  char path[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH + 1, path);
  return path;
}

std::string PrivateFolder() { return TempFolder() + "WDQUAYMARK340"; }

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry{};
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) {
    return names;
  }
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      names.push_back(entry.cFileName);
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

// The local date so many seconds from now, as "%04d-%02d-%02d".
std::string LocalDateIn(long long seconds) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks{};
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  ticks.QuadPart += static_cast<ULONGLONG>(seconds) * 10'000'000ULL;
  FILETIME then{ticks.LowPart, ticks.HighPart};
  FILETIME local{};
  SYSTEMTIME fields{};
  FileTimeToLocalFileTime(&then, &local);
  FileTimeToSystemTime(&local, &fields);
  char text[16] = {};
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", fields.wYear, fields.wMonth, fields.wDay);
  return text;
}

// The library's exports bound by name, as Tessaly's probes bind them.
struct Ravelin {
  HMODULE module = nullptr;
  CheckKeyEnvFn checkKeyEnv = nullptr;
  GetKeyCountFn getKeyCount = nullptr;
  GetKeySNFn getKeySN = nullptr;
  GetCertCNFn getCertCN = nullptr;
  GetCertNotAfterFn getCertNotAfter = nullptr;
  GetCertIssuerFn getCertIssuer = nullptr;
  GetPinRetryTimesFn getPinRetryTimes = nullptr;
  DefaultPINFlgFn defaultPINFlg = nullptr;
  GetFactoryNameFn getFactoryName = nullptr;
  GetSoftwareVersionFn getSoftwareVersion = nullptr;

  template <typename Function>
  void Bind(Function& function, const char* name) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    ASSERT_NE(function, nullptr) << name;
  }
  void BindAll() {
    Bind(checkKeyEnv, ka::kCheckKeyEnv);
    Bind(getKeyCount, ka::kGetKeyCount);
    Bind(getKeySN, ka::kGetKeySN);
    Bind(getCertCN, ka::kGetCertCN);
    Bind(getCertNotAfter, ka::kGetCertNotAfter);
    Bind(getCertIssuer, ka::kGetCertIssuer);
    Bind(getPinRetryTimes, ka::kGetPinRetryTimes);
    Bind(defaultPINFlg, ka::kDefaultPINFlg);
    Bind(getFactoryName, ka::kGetFactoryName);
    Bind(getSoftwareVersion, ka::kGetSoftwareVersion);
  }
};

class RavelinLibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    authority = new StandInCertificateAuthority;
    ASSERT_TRUE(authority->TrustInCurrentUserRoot());
  }
  static void TearDownTestSuite() {
    delete authority;
    authority = nullptr;
  }

  void SetUp() override {
    keysFile = TempFolder() + "ravelin-test-keys.txt";
    SetEnvironmentVariableA("TESSALY_STANDIN_KEYS", keysFile.c_str());
    WriteKeys("");
  }
  void TearDown() override {
    Unload();
    DeleteFileA(keysFile.c_str());
  }

  void WriteKeys(const std::string& text) {
    std::ofstream(keysFile, std::ios::binary | std::ios::trunc) << text;
  }
  static std::string CertificateLine(const std::string& commonName, long secondsLeft) {
    return "certificate signature " + Hex(authority->Issue(commonName, secondsLeft)) + "\n";
  }

  HMODULE Load(const wchar_t* name = L"Ravelin.dll") {
    ravelin.module = LoadLibraryW((OwnFolder() + name).c_str());
    if (ravelin.module != nullptr) {
      ravelin.BindAll();
    }
    return ravelin.module;
  }
  void Unload() {
    if (ravelin.module != nullptr) {
      FreeLibrary(ravelin.module);
      ravelin.module = nullptr;
    }
  }

  static StandInCertificateAuthority* authority;
  std::string keysFile;
  Ravelin ravelin;
};

StandInCertificateAuthority* RavelinLibraryTest::authority = nullptr;

// The private folder spoiled so that the load cannot bind a token manager, until this goes.
class SpoiledTokenManager {
 public:
  enum class Kind { Missing, Broken };
  explicit SpoiledTokenManager(Kind kind) : path_(PrivateFolder() + "\\TokenMgr.dll") {
    CreateDirectoryA(PrivateFolder().c_str(), nullptr);
    DeleteFileA(path_.c_str());  // left by an earlier process, which kept it to its end
    if (kind == Kind::Missing) {
      // A folder where the token manager should be written: nothing is written or loaded.
      ready_ = CreateDirectoryA(path_.c_str(), nullptr) != FALSE;
      return;
    }
    // An image without the entry points, held open so the carried copy cannot replace it.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (CopyFileA(self, path_.c_str(), FALSE)) {
      held_ = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
      ready_ = held_ != INVALID_HANDLE_VALUE;
    }
  }
  ~SpoiledTokenManager() {
    if (held_ != INVALID_HANDLE_VALUE) {
      CloseHandle(held_);
    }
    RemoveDirectoryA(path_.c_str());
    DeleteFileA(path_.c_str());
  }
  SpoiledTokenManager(const SpoiledTokenManager&) = delete;
  SpoiledTokenManager& operator=(const SpoiledTokenManager&) = delete;
  bool ready() const { return ready_; }

 private:
  std::string path_;
  HANDLE held_ = INVALID_HANDLE_VALUE;
  bool ready_ = false;
};

constexpr SpoiledTokenManager::Kind kSpoiledKinds[] = {SpoiledTokenManager::Kind::Missing,
                                                       SpoiledTokenManager::Kind::Broken};

// First, while this process has no token manager loaded: once one is (it stays until the
// process ends), its file cannot be spoiled, by this process or any other.
TEST_F(RavelinLibraryTest, AMissingOrBrokenTokenManagerRefusesTheLoad) {
  for (const SpoiledTokenManager::Kind kind : kSpoiledKinds) {
    const SpoiledTokenManager spoiled(kind);
    ASSERT_TRUE(spoiled.ready());
    EXPECT_EQ(Load(), nullptr);
  }
  // Afterwards the library loads again.
  EXPECT_NE(Load(), nullptr);
}

TEST_F(RavelinLibraryTest, LoadWritesTheSixFilesReplacingReadOnlyLeftoversAndUnloadRemovesThem) {
  CreateDirectoryA(PrivateFolder().c_str(), nullptr);
  const std::string leftover = PrivateFolder() + "\\TokenMgr.dll";
  std::ofstream(leftover) << "left by an earlier run";
  SetFileAttributesA(leftover.c_str(), FILE_ATTRIBUTE_READONLY);
  const std::string stray = PrivateFolder() + "\\stray.tmp";
  std::ofstream(stray) << "x";
  SetFileAttributesA(stray.c_str(), FILE_ATTRIBUTE_READONLY);

  ASSERT_NE(Load(), nullptr) << GetLastError();
  std::vector<std::string> files = FilesIn(PrivateFolder());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"TokenMgr.dll", "WDAlg.dll", "WatchSafe.ini", "hodll.dll",
                                             "protectini.ini", "wdkMgr.dll"}));
  // The token manager written is the carried one, not the leftover: it serves the keys.
  std::int32_t count = -1;
  EXPECT_EQ(ravelin.getKeyCount(&count), 1);
  EXPECT_EQ(count, 0);

  // Unload removes every file but the token manager, which this process keeps loaded until
  // it ends (Windows does not delete a loaded library, nor does Wine).
  Unload();
  EXPECT_EQ(FilesIn(PrivateFolder()), std::vector<std::string>{"TokenMgr.dll"});
  EXPECT_NE(GetFileAttributesA(PrivateFolder().c_str()), INVALID_FILE_ATTRIBUTES) << "the folder stays";
}

TEST_F(RavelinLibraryTest, OneKeyWithACertificate) {
  const std::string name = std::string(kSerial) + "@Alice";
  WriteKeys(KeyText(kSerial, 1, "default-pin-status 9000\npin-status 63c4\ncontainer c\n" +
                                CertificateLine(name, 86400L * 30)));
  ASSERT_NE(Load(), nullptr);

  std::int32_t count = -1;
  EXPECT_EQ(ravelin.getKeyCount(&count), 1);
  EXPECT_EQ(count, 1);
  char serials[ka::kSerialListBytes] = {};
  ASSERT_EQ(ravelin.getKeySN(serials), 1);
  EXPECT_STREQ(serials, kSerial);
  char names[ka::kCertNameListBytes] = {};
  ASSERT_EQ(ravelin.getCertCN(kSerial, names), 1);
  EXPECT_EQ(std::string(names, name.size() + 2), name + '\0' + '\0');

  char date[ka::kDateBytes] = {};
  ASSERT_EQ(ravelin.getCertNotAfter(name.c_str(), date), 1);
  EXPECT_EQ(std::string(date), LocalDateIn(86400LL * 30));
  // Windows names the issuer by its most significant attribute when no attribute is asked
  // for; Wine answers an empty name, and an empty name leaves the caller's buffer as it was.
  char issuer[ka::kIssuerBytes];
  std::memset(issuer, 'x', sizeof issuer);
  issuer[sizeof issuer - 1] = '\0';
  const std::string untouched(issuer);
  ASSERT_EQ(ravelin.getCertIssuer(name.c_str(), issuer), 1);
  EXPECT_EQ(std::string(issuer),
            tessaly::win32::RunningUnderWine() ? untouched : StandInCertificateAuthority::kName);

  EXPECT_EQ(ravelin.getPinRetryTimes(kSerial), 4);
  EXPECT_EQ(ravelin.defaultPINFlg(kSerial), 0);
  char factory[ka::kFactoryNameBytes] = {};
  EXPECT_EQ(ravelin.getFactoryName(factory), 1);
  EXPECT_STREQ(factory, "Watchdata");

  // No Watchdata middleware is installed in this Windows: reason 1 only; the key itself
  // passed device authentication (the stand-in accepts only the derived key) and the
  // certificate check (chained to the trusted stand-in CA).
  std::int32_t code = -1;
  EXPECT_EQ(ravelin.checkKeyEnv(&code), 1);
  EXPECT_EQ(code, 1);
  char version[ka::kSoftwareVersionBytes];
  std::memset(version, 'x', sizeof version);
  EXPECT_EQ(ravelin.getSoftwareVersion(version), 1);
  EXPECT_EQ(version[0], '\0');
}

struct LibraryCase {
  const char* name;
  std::string keys;
  std::int32_t result;
  std::int32_t code;
  std::int32_t defaultPin;
  std::int32_t tries;
};

TEST_F(RavelinLibraryTest, KeyChecksOfTheUsualCases) {
  const std::string name = std::string(kSerial) + "@Alice";
  const std::string good = "container c\n" + CertificateLine(name, 86400L * 30);
  const LibraryCase cases[] = {
      {"two keys", KeyText(kSerial, 1, good) + KeyText(kOtherSerial, 2, good), 0, 1, 0, 5},
      {"no key", "", 0, 3, 0, -1},
      {"locked PIN", KeyText(kSerial, 1, "pin-status 63c0\n" + good), 1, 1, 0, 0},
      {"default PIN", KeyText(kSerial, 1, "default-pin-status 6985\n" + good), 1, 1, 1, 5},
      {"no certificates", KeyText(kSerial, 1, "container c\n"), 0, 9, 0, 5},
      {"expires within a day", KeyText(kSerial, 1, "container c\n" + CertificateLine(name, 86400L - 600)),
       0, 9, 0, 5},
      {"untrusted", KeyText(kSerial, 1, "container c\ncertificate signature " +
                                        Hex(StandInCertificateAuthority().Issue(name, 86400L * 30)) + "\n"),
       0, 9, 0, 5},
  };
  ASSERT_NE(Load(), nullptr);
  for (const LibraryCase& test : cases) {
    SCOPED_TRACE(test.name);
    WriteKeys(test.keys);
    std::int32_t code = -1;
    EXPECT_EQ(ravelin.checkKeyEnv(&code), test.result);
    EXPECT_EQ(code, test.code);
    EXPECT_EQ(ravelin.defaultPINFlg(kSerial), test.defaultPin);
    EXPECT_EQ(ravelin.getPinRetryTimes(kSerial), test.tries);
  }
}

// Starts this program again with one argument; nothing when it cannot be started.
HANDLE StartSelf(const std::wstring& argument, DWORD* processId = nullptr) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" " + argument;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  if (processId != nullptr) {
    *processId = process.dwProcessId;
  }
  return process.hProcess;
}

struct MessageBoxSeen {
  std::wstring caption;
  std::wstring text;
};

struct MessageBoxSearch {
  DWORD processId;
  HWND box;
};

// A callback of the system's calling convention (stdcall in a 32-bit process, which a
// lambda cannot be converted to).
BOOL CALLBACK FindMessageBoxOf(HWND window, LPARAM context) {
  auto* wanted = reinterpret_cast<MessageBoxSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (owner == wanted->processId && std::wstring(className) == L"#32770" && IsWindowVisible(window)) {
    wanted->box = window;
    return FALSE;
  }
  return TRUE;
}

// Waits for a message box of that process, reads its caption and text (the box's static
// text control has the id 0xFFFF on Windows and Wine alike) and presses its OK button.
std::optional<MessageBoxSeen> DismissMessageBoxOf(DWORD processId, DWORD milliseconds) {
  MessageBoxSearch search{processId, nullptr};
  for (DWORD waited = 0; search.box == nullptr && waited < milliseconds; waited += 100) {
    Sleep(100);
    EnumWindows(FindMessageBoxOf, reinterpret_cast<LPARAM>(&search));
  }
  if (search.box == nullptr) {
    return std::nullopt;
  }
  wchar_t caption[256] = {};
  wchar_t text[256] = {};
  GetWindowTextW(search.box, caption, 256);
  GetDlgItemTextW(search.box, 0xFFFF, text, 256);
  PostMessageW(search.box, WM_COMMAND, IDOK, 0);
  return MessageBoxSeen{caption, text};
}

// The library's message boxes, which need a display (xvfb-run): without one Wine shows none.
class RavelinLibraryMessageTest : public RavelinLibraryTest {
 protected:
  void SetUp() override {
    char display[256] = {};
    if (GetEnvironmentVariableA("DISPLAY", display, sizeof display) == 0) {
      GTEST_SKIP() << "no display to show a message box on";
    }
    RavelinLibraryTest::SetUp();
  }

  // Runs the export while another thread waits for its box, reads it and presses OK.
  template <typename Export>
  std::optional<MessageBoxSeen> BoxShownBy(Export call) {
    std::optional<MessageBoxSeen> seen;
    std::thread watcher([&] { seen = DismissMessageBoxOf(GetCurrentProcessId(), 30000); });
    call();
    watcher.join();
    return seen;
  }
};

// First, while this process has no token manager loaded (see the refused-load test above).
TEST_F(RavelinLibraryMessageTest, ARefusedBindingSaysSoInABoxCaptionedWithTheLibrarysName) {
  for (const SpoiledTokenManager::Kind kind : kSpoiledKinds) {
    SCOPED_TRACE(kind == SpoiledTokenManager::Kind::Missing ? "missing" : "broken");
    const SpoiledTokenManager spoiled(kind);
    ASSERT_TRUE(spoiled.ready());
    DWORD processId = 0;
    const HANDLE loader = StartSelf(L"--load-ravelin", &processId);
    ASSERT_NE(loader, nullptr);
    const std::optional<MessageBoxSeen> box = DismissMessageBoxOf(processId, 30000);
    if (!box) {
      TerminateProcess(loader, 3);
    }
    // The loader waits up to 30 s for its box to go before it ends, also when the box
    // outlived the press (a busy display).
    EXPECT_EQ(WaitForSingleObject(loader, 65000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeProcess(loader, &exitCode);
    CloseHandle(loader);
    ASSERT_TRUE(box.has_value()) << "no message box appeared";
    EXPECT_EQ(box->caption, L"Ravelin");
    EXPECT_EQ(box->text, L"加载动态库失败，请确认安装是否正确");
    EXPECT_EQ(exitCode, 0u) << "the load was not refused";
  }
}

TEST_F(RavelinLibraryMessageTest, TwoKeysOrNoKeyAreSaidSoInTheirBoxes) {
  const std::string good = "container c\n" + CertificateLine(std::string(kSerial) + "@Alice", 86400L * 30);
  WriteKeys(KeyText(kSerial, 1, good) + KeyText(kOtherSerial, 2, good));
  ASSERT_NE(Load(), nullptr);
  std::int32_t code = -1;
  std::int32_t result = -1;
  std::optional<MessageBoxSeen> box = BoxShownBy([&] { result = ravelin.checkKeyEnv(&code); });
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->caption, L"Ravelin");
  EXPECT_EQ(box->text, L"检测时请插入一只KEY");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(code, 1) << "only the incomplete middleware";

  WriteKeys("");
  box = BoxShownBy([&] { result = ravelin.defaultPINFlg(kSerial); });
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->caption, L"警告");
  EXPECT_EQ(box->text, L"未检测到USBKEY");
  EXPECT_EQ(result, 0);
}

// Another process loads and unloads the library (binding the token manager each time)
// while this one, loaded and bound, keeps calling: this process's files are held against
// deletion, so its calls keep working, and the other finds the files it needs in place.
TEST_F(RavelinLibraryTest, AnotherProcessLoadingAndUnloadingLeavesThisOneWorking) {
  WriteKeys(KeyText(kSerial, 1));
  ASSERT_NE(Load(), nullptr);
  std::int32_t count = -1;
  ASSERT_EQ(ravelin.getKeyCount(&count), 1);
  const HANDLE other = StartSelf(L"--cycle-ravelin");
  ASSERT_NE(other, nullptr);
  int calls = 0;
  int failures = 0;
  do {
    count = -1;
    failures += ravelin.getKeyCount(&count) == 1 && count == 1 ? 0 : 1;
    ++calls;
  } while (WaitForSingleObject(other, 0) == WAIT_TIMEOUT && calls < 100000);
  DWORD otherRounds = 0;
  GetExitCodeProcess(other, &otherRounds);
  CloseHandle(other);
  EXPECT_EQ(failures, 0) << "of " << calls << " calls";
  EXPECT_EQ(otherRounds, kCycleRounds) << "rounds of the other process that worked";
  EXPECT_EQ(FilesIn(PrivateFolder()).size(), 6u);
  count = -1;
  EXPECT_EQ(ravelin.getKeyCount(&count), 1);
  EXPECT_EQ(count, 1);
}

// A Watchdata installation planted into this Windows: the uninstall entry in the registry
// view of 32-bit programs, the files in the 32-bit and the native system directory. Removed
// again at the end.
class PlantedInstallation {
 public:
  explicit PlantedInstallation(const char* version) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, std::string(kUninstallKey).c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr);
    RegSetValueExA(key, "DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(std::strlen(version) + 1));
    RegCloseKey(key);
    for (const std::string& directory : Directories()) {
      const std::string folder = directory + std::string(kMiddlewareFolder);
      CreateDirectoryA((directory + "\\Watchdata").c_str(), nullptr);
      CreateDirectoryA(folder.c_str(), nullptr);
      CreateDirectoryA((folder + "Language").c_str(), nullptr);
      for (const std::string_view file : kThirtyTwoBitFolderFiles) {
        Plant(folder + std::string(file));
      }
      Plant(directory + "\\" + std::string(kSystemDirectoryFile));
    }
  }
  ~PlantedInstallation() {
    for (const std::string& file : planted_) {
      DeleteFileA(file.c_str());
    }
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, std::string(kUninstallKey).c_str(), KEY_WOW64_32KEY, 0);
  }
  static std::vector<std::string> Directories() {
    char wow64[MAX_PATH] = {};
    char native[MAX_PATH] = {};
    GetSystemWow64DirectoryA(wow64, MAX_PATH);
    GetSystemDirectoryA(native, MAX_PATH);
    return {wow64, native};
  }

 private:
  void Plant(const std::string& path) {
    std::ofstream(path) << "planted";
    planted_.push_back(path);
  }
  std::vector<std::string> planted_;
};

TEST_F(RavelinLibraryTest, TheInstalledMiddlewareIsCheckedInBothViews) {
  const std::string name = std::string(kSerial) + "@Alice";
  WriteKeys(KeyText(kSerial, 1, "container c\n" + CertificateLine(name, 86400L * 30)));
  ASSERT_NE(Load(), nullptr);
  std::int32_t code = -1;
  char version[ka::kSoftwareVersionBytes] = {};
  {
    const PlantedInstallation installed("3.3.9.1025");
    EXPECT_EQ(ravelin.checkKeyEnv(&code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ravelin.getSoftwareVersion(version), 1);
    EXPECT_STREQ(version, "3.3.9.1025");

    // Present only in the 32-bit system directory: incomplete on 64-bit Windows.
    const std::string nativeFile =
        PlantedInstallation::Directories()[1] + "\\" + std::string(kSystemDirectoryFile);
    ASSERT_TRUE(DeleteFileA(nativeFile.c_str()));
    EXPECT_EQ(ravelin.checkKeyEnv(&code), 1);
    EXPECT_EQ(code, 1);
  }
  // An uninstall entry in the native registry view only is not the 32-bit middleware's.
  const PlantedInstallation installed("3.3.9.1025");
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, std::string(kUninstallKey).c_str(), KEY_WOW64_32KEY, 0);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, std::string(kUninstallKey).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "RealVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>("9.9"), 4);
  RegCloseKey(key);
  EXPECT_EQ(ravelin.checkKeyEnv(&code), 1);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(ravelin.getSoftwareVersion(version), 1);
  EXPECT_STREQ(version, "");
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, std::string(kUninstallKey).c_str(), KEY_WOW64_64KEY, 0);
}

// Starts this program again to hold the key lock: "hold" releases it after a while,
// "abandon" ends without releasing it.
HANDLE StartLockHolder(const wchar_t* mode) { return StartSelf(std::wstring(L"--key-lock-") + mode); }

TEST_F(RavelinLibraryTest, TheLockHeldByAnotherProcessBlocksTheExportUntilReleased) {
  WriteKeys(KeyText(kSerial, 1));
  ASSERT_NE(Load(), nullptr);
  HANDLE held = CreateEventW(nullptr, TRUE, FALSE, kLockHeldEvent);
  HANDLE holder = StartLockHolder(L"hold");
  ASSERT_NE(holder, nullptr);
  ASSERT_EQ(WaitForSingleObject(held, 20000), WAIT_OBJECT_0);
  const auto start = std::chrono::steady_clock::now();
  std::int32_t count = -1;
  EXPECT_EQ(ravelin.getKeyCount(&count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(700));
  WaitForSingleObject(holder, 20000);
  CloseHandle(holder);

  // A holder that ends without releasing: the wait ends abandoned, which is failure.
  ResetEvent(held);
  holder = StartLockHolder(L"abandon");
  ASSERT_NE(holder, nullptr);
  ASSERT_EQ(WaitForSingleObject(holder, 20000), WAIT_OBJECT_0);
  CloseHandle(holder);
  count = -1;
  EXPECT_EQ(ravelin.getKeyCount(&count), 0);
  EXPECT_EQ(count, -1);
  // The abandoned mutex was taken over and released: the next call goes through.
  EXPECT_EQ(ravelin.getKeyCount(&count), 1);
  CloseHandle(held);
}

TEST_F(RavelinLibraryTest, TheBluetoothAdapterFileIsTheSameLibrary) {
  WriteKeys(KeyText(kSerial, 1));
  ASSERT_NE(Load(L"Ravelin_.dll"), nullptr);
  char serials[ka::kSerialListBytes] = {};
  EXPECT_EQ(ravelin.getKeySN(serials), 1);
  EXPECT_STREQ(serials, kSerial);
}

int HoldKeyLock(bool release) {
  // Created by whoever comes first, so ownership is taken by waiting.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "GAKeyRWCard");
  HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, kLockHeldEvent);
  if (mutex == nullptr || held == nullptr || WaitForSingleObject(mutex, 20000) != WAIT_OBJECT_0) {
    return 2;
  }
  SetEvent(held);
  if (release) {
    Sleep(1000);
    ReleaseMutex(mutex);
  }
  return 0;  // an unreleased mutex is abandoned when the process ends
}

// Whether this process shows a top-level window.
bool ShowsAWindow() {
  bool shown = false;
  EnumWindows(
      [](HWND window, LPARAM found) -> BOOL {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == GetCurrentProcessId() && IsWindowVisible(window)) {
          *reinterpret_cast<bool*>(found) = true;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&shown));
  return shown;
}

// Loads Ravelin.dll as a GUI program would, with user32 already there: 0 when the load was
// refused, 1 when it went through. A refused load's box shows once the load has returned
// (outside the loader's lock), so the process stays until it has come and gone.
int LoadRavelin() {
  LoadLibraryW(L"user32.dll");
  const HMODULE module = LoadLibraryW((OwnFolder() + L"Ravelin.dll").c_str());
  if (module == nullptr) {
    for (int waited = 0; waited < 300 && !ShowsAWindow(); ++waited) {
      Sleep(100);
    }
    for (int waited = 0; waited < 300 && ShowsAWindow(); ++waited) {
      Sleep(100);
    }
    return 0;
  }
  FreeLibrary(module);
  return 1;
}

// Loads Ravelin.dll, counts the keys and unloads it, kCycleRounds times; answers how many
// rounds counted the one key.
int CycleRavelin() {
  int worked = 0;
  for (DWORD round = 0; round < kCycleRounds; ++round) {
    Ravelin other;
    other.module = LoadLibraryW((OwnFolder() + L"Ravelin.dll").c_str());
    if (other.module == nullptr) {
      continue;
    }
    other.BindAll();
    std::int32_t count = -1;
    worked += other.getKeyCount(&count) == 1 && count == 1 ? 1 : 0;
    FreeLibrary(other.module);
  }
  return worked;
}

}  // namespace
}  // namespace tessaly::ravelin::testing

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--load-ravelin") {
    return tessaly::ravelin::testing::LoadRavelin();
  }
  if (argc == 2 && std::string(argv[1]) == "--cycle-ravelin") {
    return tessaly::ravelin::testing::CycleRavelin();
  }
  if (argc == 2 && std::string(argv[1]) == "--key-lock-hold") {
    return tessaly::ravelin::testing::HoldKeyLock(true);
  }
  if (argc == 2 && std::string(argv[1]) == "--key-lock-abandon") {
    return tessaly::ravelin::testing::HoldKeyLock(false);
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
