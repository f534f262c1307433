#include "diagnosis/RegistryEntryCheck.h"

#include <gtest/gtest.h>

#include <string>

#include "diagnosis/RegistryPath.h"
#include "platform/RegistryValues.h"
#include "tests/fakes/FakeCodePages.h"
#include "tests/fakes/FakeRegistry.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kKey = u"Software\\Bank\\Check";

class RegistryEntryCheckTest : public testing::Test {
 protected:
  static ConfigEntry Entry(std::string type, std::string value, std::string mask = "") {
    return {.text = "HKEY_CURRENT_USER\\Software\\Bank\\Check",
            .name = "Setting",
            .type = std::move(type),
            .value = std::move(value),
            .mask = std::move(mask)};
  }
  void Store(RegistryValue value) {
    registry.SetValue(RegistryRoot::CurrentUser, kKey, u"Setting", std::move(value));
  }
  const RegistryValue* Stored() const {
    return registry.FindValue(RegistryRoot::CurrentUser, kKey, u"Setting");
  }
  bool Enforce(const ConfigEntry& entry, bool repair) {
    return EnforceRegistryEntry(registry, codePages, entry, repair);
  }

  FakeRegistry registry;
  FakeCodePages codePages;
};

TEST_F(RegistryEntryCheckTest, MaskedDwordsCompareAndRepairOnlyTheMaskedBits) {
  const ConfigEntry entry = Entry("reg_dword", "4", "4");
  Store(DwordValue(12));
  EXPECT_TRUE(Enforce(entry, false));

  Store(DwordValue(8));
  EXPECT_FALSE(Enforce(entry, false));
  EXPECT_EQ(*Stored(), DwordValue(8)) << "measuring writes nothing";
  EXPECT_TRUE(Enforce(entry, true));
  EXPECT_EQ(*Stored(), DwordValue(12)) << "bit 3 stays, bit 2 is set";

  // The wanted value is masked first: 5 under mask 4 asks for bit 2 only.
  Store(DwordValue(0xFFFFFFFF));
  EXPECT_TRUE(Enforce(Entry("reg_dword", "5", "4"), false));
  // Without a mask every bit counts.
  EXPECT_FALSE(Enforce(Entry("reg_dword", "4"), false));
  EXPECT_TRUE(Enforce(Entry("reg_dword", "4"), true));
  EXPECT_EQ(*Stored(), DwordValue(4));
  EXPECT_TRUE(Enforce(Entry("reg_dword", "4294967295"), true));
  EXPECT_EQ(*Stored(), DwordValue(0xFFFFFFFF));
}

TEST_F(RegistryEntryCheckTest, MissingKeysAreCreatedOnlyByARepair) {
  const ConfigEntry entry = Entry("reg_dword", "3", "");
  EXPECT_FALSE(Enforce(entry, false));
  EXPECT_FALSE(registry.KeyExists(RegistryRoot::CurrentUser, kKey));
  EXPECT_TRUE(Enforce(entry, true));
  ASSERT_NE(Stored(), nullptr);
  EXPECT_EQ(*Stored(), DwordValue(3));

  // A missing value under a mask is written as the masked wanted value alone.
  registry.SetValue(RegistryRoot::CurrentUser, kKey, u"Other", DwordValue(1));
  const ConfigEntry masked{.text = entry.text, .name = "Fresh", .type = "reg_dword",
                           .value = "6", .mask = "4"};
  EXPECT_FALSE(Enforce(masked, false));
  EXPECT_TRUE(Enforce(masked, true));
  EXPECT_EQ(*registry.FindValue(RegistryRoot::CurrentUser, kKey, u"Fresh"), DwordValue(4));
}

TEST_F(RegistryEntryCheckTest, UnreadableValuesFailAndAreLeftAlone) {
  // A DWORD stored as text is not a different number: it is not touched.
  Store(StringValue(u"0"));
  EXPECT_FALSE(Enforce(Entry("reg_dword", "0"), false));
  EXPECT_FALSE(Enforce(Entry("reg_dword", "0"), true));
  EXPECT_EQ(*Stored(), StringValue(u"0"));

  // Nor is a text stored as a number.
  Store(DwordValue(1));
  EXPECT_FALSE(Enforce(Entry("reg_sz", "1"), true));
  EXPECT_EQ(*Stored(), DwordValue(1));

  // A value the registry refuses to read.
  Store(DwordValue(1));
  registry.failRead.insert(u"software\\bank\\check");
  EXPECT_FALSE(Enforce(Entry("reg_dword", "2"), true));
  registry.failRead.clear();
  EXPECT_EQ(*Stored(), DwordValue(1));
}

TEST_F(RegistryEntryCheckTest, TextsCompareExactlyUpTo512Characters) {
  Store(StringValue(u"Yes"));
  EXPECT_TRUE(Enforce(Entry("reg_sz", "Yes"), false));
  EXPECT_FALSE(Enforce(Entry("reg_sz", "yes"), false));
  EXPECT_TRUE(Enforce(Entry("reg_sz", "yes"), true));
  EXPECT_EQ(*Stored(), StringValue(u"yes"));

  // Configuration texts are UTF-8 and reach the registry as UTF-16.
  EXPECT_TRUE(Enforce(Entry("reg_sz", "网银"), true));
  EXPECT_EQ(*Stored(), StringValue(u"网银"));

  const std::string longest(512, 'x');
  Store(StringValue(std::u16string(512, u'x')));
  EXPECT_TRUE(Enforce(Entry("reg_sz", longest), false));
  Store(StringValue(std::u16string(513, u'x')));
  EXPECT_FALSE(Enforce(Entry("reg_sz", longest + "x"), false));
  EXPECT_FALSE(Enforce(Entry("reg_sz", longest), true)) << "too long to read is not repaired";
  EXPECT_EQ(*Stored(), StringValue(std::u16string(513, u'x')));

  const ConfigEntry missing{.text = "HKCU\\Software\\Bank\\Check", .name = "Name",
                            .type = "reg_sz", .value = "Bank"};
  EXPECT_FALSE(Enforce(missing, false));
  EXPECT_TRUE(Enforce(missing, true));
  EXPECT_EQ(*registry.FindValue(RegistryRoot::CurrentUser, kKey, u"Name"), StringValue(u"Bank"));
}

TEST_F(RegistryEntryCheckTest, BinaryValuesCompareLengthAndBytesUpTo512Bytes) {
  const RegistryValue wanted{RegistryType::Binary, {0x0A, 0x0B, 0xFF}};
  Store(wanted);
  EXPECT_TRUE(Enforce(Entry("reg_binary", "0a0BfF"), false));
  EXPECT_FALSE(Enforce(Entry("reg_binary", "0a0B"), false)) << "a shorter value differs";
  EXPECT_TRUE(Enforce(Entry("reg_binary", "0a0B"), true));
  EXPECT_EQ(*Stored(), (RegistryValue{RegistryType::Binary, {0x0A, 0x0B}}));

  // The same bytes under another type are not the binary value asked for.
  Store({RegistryType::None, {0x0A, 0x0B, 0xFF}});
  EXPECT_FALSE(Enforce(Entry("reg_binary", "0a0bff"), false));
  EXPECT_TRUE(Enforce(Entry("reg_binary", "0a0bff"), true));
  EXPECT_EQ(*Stored(), wanted);

  Store({RegistryType::Binary, std::vector<std::uint8_t>(512, 0x11)});
  EXPECT_TRUE(Enforce(Entry("reg_binary", std::string(1024, '1')), false));
  Store({RegistryType::Binary, std::vector<std::uint8_t>(513, 0x11)});
  EXPECT_FALSE(Enforce(Entry("reg_binary", std::string(1024, '1')), true));
  EXPECT_EQ(Stored()->data.size(), 513u) << "too long to read is not repaired";
}

TEST_F(RegistryEntryCheckTest, EntriesThatCannotBeMetAreNeverSatisfied) {
  Store(DwordValue(0));
  for (const ConfigEntry& entry : {
           Entry("reg_qword", "0"),          // unknown type
           Entry("REG_DWORD", "0"),          // types are compared exactly
           Entry("reg_dword", ""),           // no number
           Entry("reg_dword", "0x0"),        // not decimal
           Entry("reg_dword", "-1"),         // not a 32-bit unsigned number
           Entry("reg_dword", "4294967296"),  // too big
           Entry("reg_dword", "0", "all"),   // a mask that is no number
       }) {
    EXPECT_FALSE(Enforce(entry, true)) << entry.type << " " << entry.value << " " << entry.mask;
  }
  ConfigEntry noSeparator = Entry("reg_dword", "0");
  noSeparator.text = "HKEY_CURRENT_USER";
  EXPECT_FALSE(Enforce(noSeparator, true));
  EXPECT_EQ(*Stored(), DwordValue(0));
}

TEST_F(RegistryEntryCheckTest, AFailingWriteOrCreationFails) {
  Store(DwordValue(1));
  registry.denyWrite.insert(u"software\\bank\\check");
  EXPECT_FALSE(Enforce(Entry("reg_dword", "0"), true));
  EXPECT_EQ(*Stored(), DwordValue(1));

  ConfigEntry elsewhere = Entry("reg_dword", "0");
  elsewhere.text = "HKCU\\Software\\Bank\\Locked";
  registry.denyOpen.insert(u"software\\bank\\locked");
  EXPECT_FALSE(Enforce(elsewhere, true));
}

TEST(RegistryPath, RootsAreRecognisedWhateverTheirCaseAndAnythingElseIsTheCurrentUser) {
  struct Case {
    std::string_view name;
    RegistryRoot root;
  };
  for (const Case& c : {Case{"HKLM", RegistryRoot::LocalMachine},
                        Case{"hkey_local_machine", RegistryRoot::LocalMachine},
                        Case{"Hkcu", RegistryRoot::CurrentUser},
                        Case{"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
                        Case{"hkcr", RegistryRoot::ClassesRoot},
                        Case{"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
                        Case{"HKEY_USERS", RegistryRoot::CurrentUser},
                        Case{"", RegistryRoot::CurrentUser},
                        Case{"HKLM ", RegistryRoot::CurrentUser}}) {
    EXPECT_EQ(RegistryRootNamed(c.name), c.root) << c.name;
  }
  const auto split = SplitRegistryPath("hklm\\System\\A\\B");
  ASSERT_TRUE(split.has_value());
  EXPECT_EQ(split->root, RegistryRoot::LocalMachine);
  EXPECT_EQ(split->subkey, "System\\A\\B");
  EXPECT_FALSE(SplitRegistryPath("HKLM").has_value());
}

TEST_F(RegistryEntryCheckTest, TheRootDecidesWhichHiveIsRepaired) {
  ConfigEntry entry = Entry("reg_dword", "7");
  entry.text = "hklm\\Software\\Bank\\Check";
  EXPECT_TRUE(Enforce(entry, true));
  EXPECT_EQ(*registry.FindValue(RegistryRoot::LocalMachine, kKey, u"Setting"), DwordValue(7));
  EXPECT_EQ(Stored(), nullptr);

  entry.text = "HKEY_USERS\\Software\\Bank\\Check";
  EXPECT_TRUE(Enforce(entry, true));
  EXPECT_EQ(*Stored(), DwordValue(7));
}

}  // namespace
}  // namespace tessaly
