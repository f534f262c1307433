#include "platform/RegistryValues.h"

#include <gtest/gtest.h>

#include "tests/fakes/FakeRegistry.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kPath = u"Software\\Test";

class RegistryValuesTest : public testing::Test {
 protected:
  std::unique_ptr<RegistryKey> Open(RegistryAccess access = RegistryAccess::ReadWrite) {
    return registry.CreateKey(RegistryRoot::CurrentUser, kPath, access, RegistryView::Default);
  }
  FakeRegistry registry;
};

TEST_F(RegistryValuesTest, DwordsRoundTripAndTellMissingFromWrongType) {
  auto key = Open();
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(WriteDword(*key, u"Number", 0x12345678), RegistryStatus::Ok);
  const auto read = ReadDword(*key, u"number");
  EXPECT_EQ(read.result, ReadResult::Ok) << "value names compare without case";
  EXPECT_EQ(read.value, 0x12345678u);

  EXPECT_EQ(ReadDword(*key, u"Absent").result, ReadResult::Missing);
  EXPECT_EQ(WriteString(*key, u"Text", u"7"), RegistryStatus::Ok);
  EXPECT_EQ(ReadDword(*key, u"Text").result, ReadResult::WrongType);
  // A DWORD-typed value of the wrong size is not a number either.
  registry.SetValue(RegistryRoot::CurrentUser, kPath, u"Short", {RegistryType::Dword, {1, 2}});
  EXPECT_EQ(ReadDword(*key, u"Short").result, ReadResult::WrongType);
}

TEST_F(RegistryValuesTest, StringsStopAtTheFirstZeroAndRefuseToBeCut) {
  auto key = Open();
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(WriteString(*key, u"Name", u"Windows XP"), RegistryStatus::Ok);
  EXPECT_EQ(ReadString(*key, u"Name", 1024).value, u"Windows XP");
  // 10 characters and the terminator need 22 bytes.
  EXPECT_EQ(ReadString(*key, u"Name", 22).result, ReadResult::Ok);
  EXPECT_EQ(ReadString(*key, u"Name", 21).result, ReadResult::TooLong);

  // Stored without a terminator, or with data after an embedded zero.
  registry.SetValue(RegistryRoot::CurrentUser, kPath, u"Raw", {RegistryType::String, {'a', 0, 'b', 0}});
  EXPECT_EQ(ReadString(*key, u"Raw", 1024).value, u"ab");
  registry.SetValue(RegistryRoot::CurrentUser, kPath, u"Zero",
                    {RegistryType::ExpandString, {'a', 0, 0, 0, 'b', 0}});
  EXPECT_EQ(ReadString(*key, u"Zero", 1024).value, u"a");
  // An odd trailing byte is no code unit.
  registry.SetValue(RegistryRoot::CurrentUser, kPath, u"Odd", {RegistryType::String, {'a', 0, 'b'}});
  EXPECT_EQ(ReadString(*key, u"Odd", 1024).value, u"a");

  EXPECT_EQ(WriteDword(*key, u"Number", 1), RegistryStatus::Ok);
  EXPECT_EQ(ReadString(*key, u"Number", 1024).result, ReadResult::WrongType);
  EXPECT_EQ(ReadString(*key, u"Absent", 1024).result, ReadResult::Missing);
}

TEST_F(RegistryValuesTest, WritesThroughAReadOnlyKeyFail) {
  ASSERT_NE(Open(), nullptr);
  auto key = registry.OpenKey(RegistryRoot::CurrentUser, kPath, RegistryAccess::Read,
                              RegistryView::Default);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(WriteDword(*key, u"Number", 1), RegistryStatus::AccessDenied);
  EXPECT_EQ(registry.FindValue(RegistryRoot::CurrentUser, kPath, u"Number"), nullptr);
}

TEST(FakeRegistryTest, Wow64SplitsTheMachineHiveButNotTheUserHive) {
  FakeRegistry registry;
  registry.wow64 = true;
  registry.SetValue(RegistryRoot::LocalMachine, u"Software\\X", u"V", {RegistryType::Dword, {1, 0, 0, 0}},
                    RegistryView::Native64);
  EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, u"Software\\X"));
  EXPECT_TRUE(registry.KeyExists(RegistryRoot::LocalMachine, u"software\\x", RegistryView::Native64));

  registry.SetValue(RegistryRoot::CurrentUser, u"Software\\X", u"V", {RegistryType::Dword, {1, 0, 0, 0}},
                    RegistryView::Native64);
  EXPECT_TRUE(registry.KeyExists(RegistryRoot::CurrentUser, u"Software\\X"));
}

TEST(FakeRegistryTest, CreateReportsCreationAndDeniedPathsFail) {
  FakeRegistry registry;
  bool created = false;
  EXPECT_NE(registry.CreateKey(RegistryRoot::CurrentUser, u"A\\B", RegistryAccess::ReadWrite,
                               RegistryView::Default, &created),
            nullptr);
  EXPECT_TRUE(created);
  EXPECT_TRUE(registry.KeyExists(RegistryRoot::CurrentUser, u"A")) << "parents are created too";
  EXPECT_NE(registry.CreateKey(RegistryRoot::CurrentUser, u"a\\b", RegistryAccess::ReadWrite,
                               RegistryView::Default, &created),
            nullptr);
  EXPECT_FALSE(created);

  registry.denyOpen.insert(u"a\\b");
  RegistryStatus status = RegistryStatus::Ok;
  EXPECT_EQ(registry.OpenKey(RegistryRoot::CurrentUser, u"A\\B", RegistryAccess::Read,
                             RegistryView::Default, &status),
            nullptr);
  EXPECT_EQ(status, RegistryStatus::AccessDenied);
}

}  // namespace
}  // namespace tessaly
