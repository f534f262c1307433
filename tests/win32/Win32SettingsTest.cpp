// The settings store against the real registry and C runtime (Wine here). The tests need
// the settings key to be absent at the start, so they never run over a real user's
// settings, and they remove everything they create.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WideText.h"
#include "shell/LocalTimeText.h"
#include "shell/Settings.h"
#include "shell/UpdateSchedule.h"
#include "tests/win32/RawRegistry.h"

namespace tessaly::win32 {
namespace {

const std::u16string kSettingsPath(kSettingsKeyPath);
const std::u16string kRunPath = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::u16string kLayersPath =
    u"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

std::u16string WithProcessId(std::u16string text) {
  for (const char c : std::to_string(GetCurrentProcessId())) {
    text.push_back(static_cast<char16_t>(c));
  }
  return text;
}

DWORD RawDword(const std::u16string& name) {
  const RawValue value = ReadRaw(kSettingsPath, name);
  EXPECT_EQ(value.status, ERROR_SUCCESS) << "value missing";
  EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD));
  DWORD number = 0xDEADBEEF;
  if (value.data.size() == sizeof number) {
    memcpy(&number, value.data.data(), sizeof number);
  }
  return number;
}

class Win32SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    if (KeyExists(kSettingsPath)) {
      GTEST_SKIP() << "the settings key exists already; a real user's settings stay untouched";
    }
    ownsKey_ = true;
  }

  void TearDown() override {
    if (!ownsKey_) {
      return;
    }
    // Deleting a key with subkeys fails, so parents that hold anything else survive.
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Brimvane\\Orvendel\\Quaymark");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Brimvane\\Orvendel");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Brimvane");
    DeleteRaw(kRunPath, kNeighbour);
    DeleteRaw(kLayersPath, kProgramPath);
  }

  OpenedSettings Open() { return OpenSettings(registry_, clock_, kProgramPath); }

  const std::u16string kProgramPath = WithProcessId(u"C:\\tessaly-test\\Tessaly-") + u".exe";
  const std::u16string kNeighbour = WithProcessId(u"TessalyTestNeighbour");
  Win32Registry registry_;
  Win32Clock clock_;
  bool ownsKey_ = false;
};

TEST_F(Win32SettingsTest, FirstStartWritesDefaultsOnceAndClearsLegacyAutostart) {
  ASSERT_EQ(WriteRawText(kRunPath, u"Quaymark_Orvendel", u"C:\\old\\Tessaly.exe /hide"),
            ERROR_SUCCESS);
  ASSERT_EQ(WriteRawText(kRunPath, kNeighbour, u"C:\\other.exe"), ERROR_SUCCESS);
  ASSERT_EQ(WriteRawText(kLayersPath, kProgramPath, u"WINXPSP3"), ERROR_SUCCESS);

  {
    OpenedSettings first = Open();
    EXPECT_TRUE(first.created);
    EXPECT_EQ(RawDword(u"CloseType"), 0u);
    EXPECT_EQ(RawDword(u"UserType"), 2u);
    EXPECT_EQ(RawDword(u"UpdateType"), 0u);
    EXPECT_EQ(RawDword(u"isFirst"), 1u);
    EXPECT_EQ(ReadRaw(kSettingsPath, u"LastUpdate").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadRaw(kRunPath, u"Quaymark_Orvendel").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadRaw(kLayersPath, kProgramPath).status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadRaw(kRunPath, kNeighbour).status, ERROR_SUCCESS);
    first.settings.WriteDword(kIsFirst, 0);
  }

  DeleteRaw(kSettingsPath, u"UserType");
  OpenedSettings second = Open();
  EXPECT_FALSE(second.created);
  EXPECT_EQ(second.settings.ReadDword(kUserType), 0u);
  EXPECT_EQ(ReadRaw(kSettingsPath, u"UserType").status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(second.settings.ReadDword(kIsFirst), 0u) << "defaults are not written again";
}

TEST_F(Win32SettingsTest, AnUpdateTypeStoredAsTextIsRewrittenAsDword) {
  OpenedSettings opened = Open();
  const auto now = static_cast<DWORD>(clock_.Now());
  ASSERT_EQ(WriteRaw(kSettingsPath, u"LastUpdate", REG_DWORD, DwordBytes(now)), ERROR_SUCCESS);
  ASSERT_EQ(WriteRawText(kSettingsPath, u"UpdateType", u"1"), ERROR_SUCCESS);

  EXPECT_TRUE(opened.settings.IsUpdateDue());
  EXPECT_EQ(RawDword(u"UpdateType"), 0u);
  EXPECT_FALSE(opened.settings.IsUpdateDue()) << "daily, and checked just now";
}

TEST_F(Win32SettingsTest, LastCheckTimeIsTheLocalTimeAsTerminatedText) {
  OpenedSettings opened = Open();
  EXPECT_EQ(opened.settings.ReadLastCheckTime(), kNoLastCheckTime);

  const auto before = clock_.ToLocal(clock_.Now());
  opened.settings.WriteLastCheckTime();
  const auto after = clock_.ToLocal(clock_.Now());
  ASSERT_TRUE(before && after);

  const std::u16string text = opened.settings.ReadLastCheckTime();
  EXPECT_TRUE(text == FormatLocalDateTime(*before) || text == FormatLocalDateTime(*after));
  const RawValue raw = ReadRaw(kSettingsPath, u"LastCheckTime");
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw.data.size(), 40u) << "19 characters and the terminator";

  ASSERT_EQ(WriteRawText(kSettingsPath, u"LastCheckTime", u"2018-05-04 09:03:07 and more"),
            ERROR_SUCCESS);
  EXPECT_EQ(opened.settings.ReadLastCheckTime(), kNoLastCheckTime);
}

// The real conversions with a chosen "now".
class ClockAtFixedNow final : public Clock {
 public:
  std::int64_t now = 0;
  std::int64_t Now() const override { return now; }
  std::optional<LocalDateTime> ToLocal(std::int64_t seconds) const override {
    return real_.ToLocal(seconds);
  }
  std::optional<std::int64_t> FromLocal(const LocalDateTime& local) const override {
    return real_.FromLocal(local);
  }

 private:
  Win32Clock real_;
};

TEST(Win32ClockTest, AgreesWithTheSystemClockAndConvertsBothWays) {
  const Win32Clock clock;
  FILETIME fileTime{};
  GetSystemTimeAsFileTime(&fileTime);
  const auto ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime);
  const std::int64_t systemSeconds = ticks / 10000000 - 11644473600;
  EXPECT_NEAR(static_cast<double>(clock.Now()), static_cast<double>(systemSeconds), 2.0);

  for (const LocalDateTime local : {LocalDateTime{2018, 5, 4, 9, 3, 7},
                                    LocalDateTime{2024, 2, 29, 23, 59, 59},
                                    LocalDateTime{2040, 1, 1, 0, 0, 0}}) {
    const auto seconds = clock.FromLocal(local);
    ASSERT_TRUE(seconds);
    EXPECT_EQ(clock.ToLocal(*seconds), local);
  }
  const auto a = clock.FromLocal({2018, 5, 4, 9, 3, 7});
  const auto b = clock.FromLocal({2018, 5, 5, 9, 3, 7});
  EXPECT_EQ(*b - *a, 86400);
}

TEST(Win32ClockTest, MonthlyScheduleWithTheRealCalendar) {
  ClockAtFixedNow clock;
  const auto last = clock.FromLocal({2024, 1, 31, 10, 0, 0});
  const auto dueFrom = clock.FromLocal({2024, 3, 2, 10, 0, 0});
  ASSERT_TRUE(last && dueFrom);
  clock.now = *dueFrom - 1;
  EXPECT_FALSE(IsUpdatePeriodOver(kUpdateMonthly, static_cast<std::uint32_t>(*last), clock));
  clock.now = *dueFrom;
  EXPECT_TRUE(IsUpdatePeriodOver(kUpdateMonthly, static_cast<std::uint32_t>(*last), clock));
}

}  // namespace
}  // namespace tessaly::win32
