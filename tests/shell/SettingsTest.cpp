#include "shell/Settings.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/UpdateSchedule.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeRegistry.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kProgramPath = u"C:\\Program Files\\Tessaly\\Tessaly.exe";
constexpr std::u16string_view kRunKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::u16string_view kLayersKey =
    u"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

RegistryValue Dword(std::uint32_t number) {
  return {RegistryType::Dword,
          {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
           static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)}};
}

// UTF-16LE bytes of `text`, with a terminating zero when asked.
RegistryValue Text(std::u16string_view text, bool terminated = true) {
  RegistryValue value{RegistryType::String, {}};
  for (const char16_t unit : text) {
    value.data.push_back(static_cast<std::uint8_t>(unit));
    value.data.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  if (terminated) {
    value.data.insert(value.data.end(), {0, 0});
  }
  return value;
}

class SettingsTest : public testing::Test {
 protected:
  SettingsTest() {
    clock_.utcOffsetSeconds = 8 * 3600;
    clock_.now = clock_.At({2018, 5, 4, 9, 3, 7});
  }

  OpenedSettings Open() { return OpenSettings(registry_, clock_, kProgramPath); }

  const RegistryValue* Stored(std::u16string_view name) const {
    return registry_.FindValue(RegistryRoot::CurrentUser, kSettingsKeyPath, name);
  }

  void Store(std::u16string_view name, RegistryValue value) {
    registry_.SetValue(RegistryRoot::CurrentUser, kSettingsKeyPath, name, std::move(value));
  }

  FakeRegistry registry_;
  FakeClock clock_;
};

TEST_F(SettingsTest, FirstStartCreatesTheKeyWithItsDefaultsAndClearsLegacyAutostart) {
  registry_.SetValue(RegistryRoot::CurrentUser, kRunKey, u"Quaymark_Orvendel", Text(u"old.exe"));
  registry_.SetValue(RegistryRoot::CurrentUser, kRunKey, u"OtherProgram", Text(u"other.exe"));
  registry_.SetValue(RegistryRoot::CurrentUser, kLayersKey, kProgramPath, Text(u"WINXPSP3"));

  OpenedSettings opened = Open();

  EXPECT_TRUE(opened.created);
  Settings& settings = opened.settings;
  EXPECT_EQ(settings.ReadDword(kCloseType), 0u);
  EXPECT_EQ(settings.ReadDword(kUserType), 2u);
  EXPECT_EQ(settings.ReadDword(kUpdateType), 0u);
  EXPECT_EQ(settings.ReadDword(kIsFirst), 1u);
  for (const std::u16string_view name : {kCloseType, kUserType, kUpdateType, kIsFirst}) {
    ASSERT_NE(Stored(name), nullptr);
    EXPECT_EQ(Stored(name)->type, RegistryType::Dword) << "defaults are REG_DWORD";
  }
  EXPECT_EQ(Stored(kLastUpdate), nullptr) << "no default for the last update";
  EXPECT_EQ(Stored(kLastCheckTime), nullptr) << "no default for the last check";

  EXPECT_EQ(registry_.FindValue(RegistryRoot::CurrentUser, kRunKey, u"Quaymark_Orvendel"), nullptr);
  EXPECT_NE(registry_.FindValue(RegistryRoot::CurrentUser, kRunKey, u"OtherProgram"), nullptr);
  EXPECT_EQ(registry_.FindValue(RegistryRoot::CurrentUser, kLayersKey, kProgramPath), nullptr);
}

TEST_F(SettingsTest, LaterStartsLeaveStoredValuesAndLegacyEntriesAlone) {
  Store(kUserType, Dword(5));
  Store(kCloseType, Dword(1));
  registry_.SetValue(RegistryRoot::CurrentUser, kRunKey, u"Quaymark_Orvendel", Text(u"old.exe"));

  OpenedSettings opened = Open();

  EXPECT_FALSE(opened.created);
  EXPECT_EQ(opened.settings.ReadDword(kUserType), 5u);
  EXPECT_EQ(opened.settings.ReadDword(kCloseType), 1u);
  EXPECT_EQ(Stored(kIsFirst), nullptr) << "defaults are written once, when the key is created";
  EXPECT_EQ(Stored(kUpdateType), nullptr);
  EXPECT_NE(registry_.FindValue(RegistryRoot::CurrentUser, kRunKey, u"Quaymark_Orvendel"), nullptr);
}

TEST_F(SettingsTest, AValueDeletedByHandReadsAsZeroAndIsNotRestored) {
  { Open(); }
  ASSERT_NE(Stored(kUserType), nullptr);
  // Delete it the way regedit would: through a key of its own.
  registry_.OpenKey(RegistryRoot::CurrentUser, kSettingsKeyPath, RegistryAccess::ReadWrite,
                    RegistryView::Default)->DeleteValue(kUserType);

  OpenedSettings second = Open();

  EXPECT_FALSE(second.created);
  EXPECT_EQ(second.settings.ReadDword(kUserType), 0u);
  EXPECT_EQ(Stored(kUserType), nullptr);
  EXPECT_EQ(second.settings.ReadDword(kCloseType), 0u);
  EXPECT_EQ(second.settings.ReadDword(kIsFirst), 1u);
}

// Opening fails for a passing reason; creating reaches the key that is already there.
class CreateOnlyRegistry final : public Registry {
 public:
  explicit CreateOnlyRegistry(const Registry& inner) : inner_(inner) {}
  std::unique_ptr<RegistryKey> OpenKey(RegistryRoot, std::u16string_view, RegistryAccess,
                                       RegistryView, RegistryStatus* status) const override {
    if (status != nullptr) {
      *status = RegistryStatus::Failed;
    }
    return nullptr;
  }
  std::unique_ptr<RegistryKey> CreateKey(RegistryRoot root, std::u16string_view path,
                                         RegistryAccess access, RegistryView view, bool* created,
                                         RegistryStatus* status) const override {
    return inner_.CreateKey(root, path, access, view, created, status);
  }
  RegistryStatus DeleteKey(RegistryRoot, std::u16string_view) const override {
    return RegistryStatus::Failed;
  }

 private:
  const Registry& inner_;
};

TEST_F(SettingsTest, AnExistingKeyReachedOnlyByCreatingItKeepsItsValues) {
  Store(kUserType, Dword(4));
  const CreateOnlyRegistry registry(registry_);
  OpenedSettings opened = OpenSettings(registry, clock_, kProgramPath);
  EXPECT_FALSE(opened.created);
  EXPECT_EQ(opened.settings.ReadDword(kUserType), 4u);
  EXPECT_EQ(Stored(kIsFirst), nullptr);
}

TEST_F(SettingsTest, WritesGoThroughTheOpenKeyAndReadBack) {
  OpenedSettings opened = Open();
  opened.settings.WriteDword(kUserType, 4);
  opened.settings.WriteDword(kLastUpdate, 0xFFFFFFFF);
  EXPECT_EQ(opened.settings.ReadDword(kUserType), 4u);
  EXPECT_EQ(opened.settings.ReadDword(kLastUpdate), 0xFFFFFFFFu);
  ASSERT_NE(Stored(kUserType), nullptr);
  EXPECT_EQ(Stored(kUserType)->data, Dword(4).data);
}

TEST_F(SettingsTest, ValuesOfTheWrongShapeReadAsZero) {
  Store(kUserType, Text(u"3"));
  Store(kCloseType, {RegistryType::Dword, {1, 0}});                   // two bytes
  Store(kUpdateType, {RegistryType::Qword, {1, 0, 0, 0, 0, 0, 0, 0}});
  const OpenedSettings opened = Open();
  EXPECT_EQ(opened.settings.ReadDword(kUserType), 0u);
  EXPECT_EQ(opened.settings.ReadDword(kCloseType), 0u);
  EXPECT_EQ(opened.settings.ReadDword(kUpdateType), 0u);
}

TEST_F(SettingsTest, WithoutAKeyEverythingReadsZeroAndWritesAreDropped) {
  registry_.denyOpen.insert(u"software\\brimvane\\orvendel\\quaymark");
  registry_.SetValue(RegistryRoot::CurrentUser, kRunKey, u"Quaymark_Orvendel", Text(u"old.exe"));

  OpenedSettings opened = Open();

  EXPECT_FALSE(opened.created);
  Settings& settings = opened.settings;
  settings.WriteDword(kUserType, 3);
  settings.WriteLastCheckTime();
  EXPECT_EQ(settings.ReadDword(kUserType), 0u);
  EXPECT_EQ(settings.ReadLastCheckTime(), kNoLastCheckTime);
  EXPECT_TRUE(settings.IsUpdateDue());
  EXPECT_NE(registry_.FindValue(RegistryRoot::CurrentUser, kRunKey, u"Quaymark_Orvendel"), nullptr)
      << "a key that was not created is no first start";
}

TEST_F(SettingsTest, AKeyThatCannotBeWrittenKeepsItsValues) {
  Store(kUserType, Dword(3));
  Store(kLastUpdate, Dword(static_cast<std::uint32_t>(clock_.now)));
  registry_.denyWrite.insert(u"software\\brimvane\\orvendel\\quaymark");
  OpenedSettings opened = Open();
  opened.settings.WriteDword(kUserType, 5);
  opened.settings.WriteLastCheckTime();
  EXPECT_EQ(opened.settings.ReadDword(kUserType), 3u);
  EXPECT_EQ(Stored(kLastCheckTime), nullptr);
  EXPECT_TRUE(opened.settings.IsUpdateDue()) << "no update type: due, and the rewrite fails quietly";
  EXPECT_EQ(Stored(kUpdateType), nullptr);
}

class UpdateDueTest : public SettingsTest {
 protected:
  bool Due(std::uint32_t updateType, std::int64_t secondsAgo) {
    Store(kUpdateType, Dword(updateType));
    Store(kLastUpdate, Dword(static_cast<std::uint32_t>(clock_.now - secondsAgo)));
    return Open().settings.IsUpdateDue();
  }
};

TEST_F(UpdateDueTest, DailyBoundaryIsOneDayToTheSecond) {
  EXPECT_FALSE(Due(kUpdateDaily, 86399));
  EXPECT_TRUE(Due(kUpdateDaily, 86400));
  EXPECT_FALSE(Due(kUpdateWeekly, 604799));
  EXPECT_TRUE(Due(kUpdateWeekly, 604800));
}

TEST_F(UpdateDueTest, MonthlyUsesTheLocalCalendar) {
  Store(kUpdateType, Dword(kUpdateMonthly));
  Store(kLastUpdate, Dword(static_cast<std::uint32_t>(clock_.At({2024, 1, 31, 10, 0, 0}))));
  OpenedSettings opened = Open();
  clock_.now = clock_.At({2024, 3, 2, 9, 59, 59});
  EXPECT_FALSE(opened.settings.IsUpdateDue());
  clock_.now = clock_.At({2024, 3, 2, 10, 0, 0});
  EXPECT_TRUE(opened.settings.IsUpdateDue());
}

TEST_F(UpdateDueTest, AMissingOrMistypedLastUpdateIsDueAndChangesNothing) {
  Store(kUpdateType, Dword(kUpdateWeekly));
  OpenedSettings opened = Open();
  EXPECT_TRUE(opened.settings.IsUpdateDue());
  Store(kLastUpdate, Text(u"1700000000"));
  EXPECT_TRUE(opened.settings.IsUpdateDue());
  EXPECT_EQ(opened.settings.ReadDword(kUpdateType), kUpdateWeekly);
}

TEST_F(UpdateDueTest, AnUpdateTypeThatIsNoDwordIsRewrittenAsDailyAndIsDue) {
  Store(kLastUpdate, Dword(static_cast<std::uint32_t>(clock_.now)));
  for (const RegistryValue& stored : {Text(u"2"), RegistryValue{RegistryType::Binary, {2, 0, 0, 0}}}) {
    Store(kUpdateType, stored);
    OpenedSettings opened = Open();
    EXPECT_TRUE(opened.settings.IsUpdateDue());
    ASSERT_NE(Stored(kUpdateType), nullptr);
    EXPECT_EQ(Stored(kUpdateType)->type, RegistryType::Dword);
    EXPECT_EQ(Stored(kUpdateType)->data, Dword(0).data);
    EXPECT_FALSE(opened.settings.IsUpdateDue()) << "now daily, and checked this very second";
  }
}

TEST_F(UpdateDueTest, AMissingUpdateTypeIsWrittenAsDaily) {
  Store(kLastUpdate, Dword(static_cast<std::uint32_t>(clock_.now)));
  OpenedSettings opened = Open();
  EXPECT_TRUE(opened.settings.IsUpdateDue());
  ASSERT_NE(Stored(kUpdateType), nullptr);
  EXPECT_EQ(Stored(kUpdateType)->data, Dword(0).data);
}

class LastCheckTimeTest : public SettingsTest {};

TEST_F(LastCheckTimeTest, IsWrittenAsLocalTimeTextWithItsTerminator) {
  OpenedSettings opened = Open();
  EXPECT_EQ(opened.settings.ReadLastCheckTime(), kNoLastCheckTime);
  opened.settings.WriteLastCheckTime();
  ASSERT_NE(Stored(kLastCheckTime), nullptr);
  EXPECT_EQ(Stored(kLastCheckTime)->type, RegistryType::String);
  EXPECT_EQ(Stored(kLastCheckTime)->data, Text(u"2018-05-04 09:03:07").data);
  EXPECT_EQ(opened.settings.ReadLastCheckTime(), u"2018-05-04 09:03:07");
}

TEST_F(LastCheckTimeTest, NothingIsWrittenWhenTheClockCannotGiveLocalTime) {
  OpenedSettings opened = Open();
  clock_.conversionsFail = true;
  opened.settings.WriteLastCheckTime();
  EXPECT_EQ(Stored(kLastCheckTime), nullptr);
}

TEST_F(LastCheckTimeTest, StoredTextsThatDoNotFitOrAreNoTextReadAsNeverChecked) {
  const OpenedSettings opened = Open();
  struct Case {
    const char* what;
    RegistryValue stored;
    std::u16string expected;
  };
  const Case cases[] = {
      {"fits exactly, no terminator", Text(u"2018-05-04 09:03:07", false), u"2018-05-04 09:03:07"},
      {"shorter text", Text(u"yesterday"), u"yesterday"},
      {"empty text", Text(u""), u""},
      {"one character too long", Text(u"2018-05-04 09:03:07Z"), std::u16string(kNoLastCheckTime)},
      {"far too long", Text(std::u16string(5000, u'9')), std::u16string(kNoLastCheckTime)},
      {"a number", Dword(20180504), std::u16string(kNoLastCheckTime)},
  };
  for (const Case& c : cases) {
    Store(kLastCheckTime, c.stored);
    EXPECT_EQ(opened.settings.ReadLastCheckTime(), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace tessaly
