// The registry seam against the real (Wine) registry.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "platform/RegistryValues.h"
#include "platform/win32/Win32Registry.h"

namespace tessaly::win32 {
namespace {

constexpr std::u16string_view kTestKey = u"Software\\Brimvane\\TessalyRegistryTest";

class Win32RegistryTest : public testing::Test {
 protected:
  void TearDown() override {
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Brimvane\\TessalyRegistryTest");
  }
  Win32Registry registry;
};

TEST_F(Win32RegistryTest, CreatesWritesReadsAndDeletesValues) {
  bool created = false;
  auto key = registry.CreateKey(RegistryRoot::CurrentUser, kTestKey, RegistryAccess::ReadWrite,
                                RegistryView::Default, &created);
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(created);
  EXPECT_EQ(WriteDword(*key, u"CloseType", 1), RegistryStatus::Ok);
  EXPECT_EQ(WriteString(*key, u"LastCheckTime", u"2018-05-04 09:03:07"), RegistryStatus::Ok);

  // What the seam wrote is what Windows itself reads back.
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Brimvane\\TessalyRegistryTest", 0,
                          KEY_READ, &raw),
            ERROR_SUCCESS);
  DWORD type = 0;
  DWORD number = 0;
  DWORD size = sizeof(number);
  EXPECT_EQ(RegQueryValueExW(raw, L"CloseType", nullptr, &type, reinterpret_cast<BYTE*>(&number),
                             &size),
            ERROR_SUCCESS);
  RegCloseKey(raw);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(number, 1u);

  EXPECT_EQ(ReadString(*key, u"LastCheckTime", 1024).value, u"2018-05-04 09:03:07");
  EXPECT_EQ(ReadString(*key, u"LastCheckTime", 20).result, ReadResult::TooLong);
  EXPECT_EQ(key->DeleteValue(u"CloseType"), RegistryStatus::Ok);
  EXPECT_EQ(ReadDword(*key, u"CloseType").result, ReadResult::Missing);
  EXPECT_EQ(key->DeleteValue(u"CloseType"), RegistryStatus::NotFound);

  auto again = registry.CreateKey(RegistryRoot::CurrentUser, kTestKey, RegistryAccess::ReadWrite,
                                  RegistryView::Default, &created);
  ASSERT_NE(again, nullptr);
  EXPECT_FALSE(created);
}

TEST_F(Win32RegistryTest, MissingKeysAreNotFoundAndReadOnlyKeysRefuseWrites) {
  RegistryStatus status = RegistryStatus::Ok;
  EXPECT_EQ(registry.OpenKey(RegistryRoot::CurrentUser, kTestKey, RegistryAccess::Read,
                             RegistryView::Default, &status),
            nullptr);
  EXPECT_EQ(status, RegistryStatus::NotFound);

  ASSERT_NE(registry.CreateKey(RegistryRoot::CurrentUser, kTestKey, RegistryAccess::ReadWrite,
                               RegistryView::Default),
            nullptr);
  auto readOnly = registry.OpenKey(RegistryRoot::CurrentUser, kTestKey, RegistryAccess::Read,
                                   RegistryView::Native64, &status);
  ASSERT_NE(readOnly, nullptr);
  EXPECT_NE(WriteDword(*readOnly, u"X", 1), RegistryStatus::Ok);
}

TEST_F(Win32RegistryTest, LargeBinaryValuesAreReadWhole) {
  auto key = registry.CreateKey(RegistryRoot::CurrentUser, kTestKey, RegistryAccess::ReadWrite,
                                RegistryView::Default);
  ASSERT_NE(key, nullptr);
  RegistryValue blob{RegistryType::Binary, std::vector<std::uint8_t>(70000)};
  for (std::size_t i = 0; i < blob.data.size(); ++i) {
    blob.data[i] = static_cast<std::uint8_t>(i * 7);
  }
  ASSERT_EQ(key->WriteValue(u"UserFilter", blob), RegistryStatus::Ok);
  RegistryValue read;
  ASSERT_EQ(key->ReadValue(u"UserFilter", read), RegistryStatus::Ok);
  EXPECT_EQ(read.type, RegistryType::Binary);
  EXPECT_EQ(read.data, blob.data);
}

}  // namespace
}  // namespace tessaly::win32
