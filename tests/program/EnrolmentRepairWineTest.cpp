// The enrolment-control repair against the real system under a display, for Vista and
// later and (with Wine's version set to Windows XP) for earlier Windows:
// files planted in or removed from the system folder, the class registration removed, the
// real question answered by pressing its buttons, the control files downloaded from the
// local test server (TESSALY_TEST_SERVER), the failure message read off the real box, and
// the real registry editor importing the script that lies beside Tessaly.exe
// (TESSALY_PROGRAM).
// RegDeleteTreeW is declared from Vista on; Wine has it whatever version it reports.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "certificates/EnrolmentRepair.h"
#include "platform/portable/Utf8Codec.h"
#include "platform/win32/Win32FileAccess.h"
#include "platform/win32/Win32PathProbe.h"
#include "platform/win32/Win32ProcessLauncher.h"
#include "platform/win32/Win32Prompts.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32SystemFacts.h"
#include "platform/win32/Win32WideEnvironment.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WinInetSession.h"
#include "resources/StringTable.h"
#include "tests/fakes/FakeCodeSignatures.h"
#include "tests/program/DesktopWindows.h"

namespace tessaly::win32 {
namespace {

constexpr wchar_t kClassKey[] = L"CLSID\\{884e2049-217d-11da-b2a4-000e7bbb2b09}";
constexpr wchar_t kServerKey[] = L"CLSID\\{884e2049-217d-11da-b2a4-000e7bbb2b09}\\LocalServer32";
constexpr wchar_t kXenrollClassKey[] = L"CLSID\\{127698e4-e730-4e5c-a2b1-21490a70c8a1}";
constexpr wchar_t kXenrollServerKey[] =
    L"CLSID\\{127698e4-e730-4e5c-a2b1-21490a70c8a1}\\LocalServer32";
constexpr wchar_t kXenrollProgIdKey[] = L"CEnroll.CEnroll.2";

std::u16string SystemFile(std::u16string_view name) {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::u16string(reinterpret_cast<const char16_t*>(folder)) + u"\\" + std::u16string(name);
}

std::string Contents(const std::u16string& path) {
  std::ifstream in(std::filesystem::path(std::wstring(AsWide(path))), std::ios::binary);
  std::string bytes;
  char block[4096];
  while (in.read(block, sizeof block) || in.gcount() > 0) {
    bytes.append(block, static_cast<std::size_t>(in.gcount()));
  }
  return bytes;
}

bool Exists(const std::u16string& path) {
  return GetFileAttributesW(AsWide(path)) != INVALID_FILE_ATTRIBUTES;
}

// The test server's pattern: byte i is (i * 7 + 3) mod 256.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  }
  return bytes;
}

void Plant(const std::u16string& path) {
  std::ofstream(std::filesystem::path(std::wstring(AsWide(path))), std::ios::binary) << "planted control";
}

class EnrolmentRepairWineTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* server = std::getenv("TESSALY_TEST_SERVER");
    const char* program = std::getenv("TESSALY_PROGRAM");
    resources_ = LoadProgramResources();
    if (server == nullptr || program == nullptr || resources_ == nullptr) {
      GTEST_SKIP() << "TESSALY_TEST_SERVER and TESSALY_PROGRAM are not set "
                      "(tests/program/run-certificate-tests.sh sets them)";
    }
    server_ = server;
    // The program as customers install it, in a folder whose name holds a space; the
    // script beside it is the one the build deploys beside Tessaly.exe.
    const std::u16string built = DecodeUtf8(program);
    wchar_t temporary[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temporary);
    folder_ = std::u16string(reinterpret_cast<const char16_t*>(temporary)) + u"Quaymark Tessaly\\";
    CreateDirectoryW(AsWide(folder_), nullptr);
    const std::u16string deployed = built.substr(0, built.find_last_of(u'\\') + 1);
    for (const std::u16string script : {u"certenroll.reg", u"xenroll.reg"}) {
      ASSERT_TRUE(CopyFileW(AsWide(deployed + script), AsWide(folder_ + script), FALSE));
    }
    programPath_ = folder_ + u"Tessaly.exe";
    prompts_ = std::make_unique<Win32Prompts>(resources_, kStringProgramTitle);
    Remove();
  }
  void TearDown() override {
    if (resources_ != nullptr) {
      Remove();
      prompts_.reset();
      FreeLibrary(resources_);
    }
  }

  // The PC without the controls: no files, no class.
  void Remove() {
    for (const std::u16string* file : {&library_, &server32_, &xenroll_}) {
      DeleteFileW(AsWide(*file));
    }
    for (const wchar_t* key : {kClassKey, kXenrollClassKey, kXenrollProgIdKey}) {
      RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    }
  }

  void Repair(const std::string& server) {
    const EnrolmentRepairServices services{system_,  environment_, paths_,    registry_,
                                           internet_, files_,      launcher_, *prompts_,
                                           code_.gate, programPath_, server};
    CheckAndFixCertEnroll(services);
  }

  // The registration as the registry editor wrote it: the expandable path of the server.
  static std::u16string RegisteredServer(const wchar_t* path = kServerKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return {};
    }
    wchar_t value[MAX_PATH + 1] = {};
    DWORD type = REG_NONE;
    DWORD bytes = MAX_PATH * sizeof(wchar_t);
    const LSTATUS status =
        RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_EXPAND_SZ) {
      return {};
    }
    return reinterpret_cast<const char16_t*>(value);
  }

  HMODULE resources_ = nullptr;
  std::string server_;
  std::u16string folder_;
  std::u16string programPath_;
  const std::u16string library_ = SystemFile(u"CertEnroll.dll");
  const std::u16string server32_ = SystemFile(u"CertEnrollCtrl.exe");
  const std::u16string xenroll_ = SystemFile(u"xenroll.dll");
  Win32SystemFacts system_;
  Win32WideEnvironment environment_;
  Win32PathProbe paths_;
  Win32Registry registry_;
  WinInet internet_;
  Win32FileAccess files_;
  Win32ProcessLauncher launcher_;
  std::unique_ptr<Win32Prompts> prompts_;
  // The served controls are test bytes: their signatures are the signature suite's matter.
  PermissiveCodeGate code_{files_};
};

TEST_F(EnrolmentRepairWineTest, AnsweringNoChangesNothingAndYesDownloadsAndRegisters) {
  DialogAnswerer no(u"Tessaly", IDNO);
  Repair(server_);
  no.Join();
  ASSERT_TRUE(no.answered()) << "the question was not asked";
  EXPECT_NE(std::find(no.texts().begin(), no.texts().end(), u"发现您的系统缺少下载证书控件，是否安装？"),
            no.texts().end());
  EXPECT_FALSE(Exists(library_));
  EXPECT_FALSE(Exists(server32_));
  EXPECT_EQ(RegisteredServer(), u"");

  DialogAnswerer yes(u"Tessaly", IDYES);
  Repair(server_);
  yes.Join();
  ASSERT_TRUE(yes.answered());
  EXPECT_EQ(Contents(library_), Pattern(3000));
  EXPECT_EQ(Contents(server32_), Pattern(5000));
  EXPECT_EQ(RegisteredServer(), u"%SystemRoot%\\System32\\CertEnrollCtrl.exe");

  // Everything there now: no question, nothing touched.
  Plant(library_);
  DialogAnswerer none(u"Tessaly", IDNO, 3000);
  Repair(server_);
  none.Join();
  EXPECT_FALSE(none.answered());
  EXPECT_EQ(Contents(library_), "planted control");
}

TEST_F(EnrolmentRepairWineTest, OnlyTheMissingRegistrationIsImported) {
  Plant(library_);
  Plant(server32_);
  DialogAnswerer yes(u"Tessaly", IDYES);
  // A server that has no files: nothing may be downloaded, and nothing is.
  Repair(server_ + "/absent");
  yes.Join();
  ASSERT_TRUE(yes.answered());
  EXPECT_EQ(Contents(library_), "planted control");
  EXPECT_EQ(Contents(server32_), "planted control");
  EXPECT_EQ(RegisteredServer(), u"%SystemRoot%\\System32\\CertEnrollCtrl.exe");
}

TEST_F(EnrolmentRepairWineTest, AFailedDownloadShowsTheMessageAndRegistersNothing) {
  Plant(server32_);
  DialogAnswerer yes(u"Tessaly", IDYES);
  DialogAnswerer message(u"错误", IDOK);
  Repair(server_ + "/absent");
  yes.Join();
  message.Join();
  ASSERT_TRUE(yes.answered());
  ASSERT_TRUE(message.answered()) << "no failure message";
  EXPECT_NE(std::find(message.texts().begin(), message.texts().end(), u"无法下载证书控件！"),
            message.texts().end());
  EXPECT_FALSE(Exists(library_));
  EXPECT_EQ(RegisteredServer(), u"");
}

// Runs on its own, with Wine's version set to Windows XP.
TEST_F(EnrolmentRepairWineTest, BeforeVistaXenrollIsDownloadedAndRegisteredWithoutAQuestion) {
  if (system_.VersionFacts().major >= 6) {
    GTEST_SKIP() << "Windows XP only (tests/program/run-certificate-tests.sh sets it)";
  }
  DialogAnswerer none(u"Tessaly", IDNO, 3000);
  Repair(server_);
  EXPECT_EQ(Contents(xenroll_), Pattern(4000));
  EXPECT_EQ(RegisteredServer(kXenrollServerKey), u"%SystemRoot%\\System32\\xenroll.dll");
  EXPECT_TRUE(RegisteredServer(kServerKey).empty());

  // Present and registered now: the next call changes nothing.
  Plant(xenroll_);
  Repair(server_);
  none.Join();
  EXPECT_FALSE(none.answered());
  EXPECT_EQ(Contents(xenroll_), "planted control");
}

}  // namespace
}  // namespace tessaly::win32
