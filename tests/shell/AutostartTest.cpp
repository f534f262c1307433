#include <gtest/gtest.h>

#include <string>

#include "shell/Autostart.h"
#include "tests/fakes/FakeRegistry.h"

namespace tessaly {
namespace {

constexpr char16_t kRun[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t kProgram[] = u"C:\\Program Files\\Tessaly\\Tessaly.exe";

RegistryValue Sz(std::u16string_view text, bool terminated = true) {
  RegistryValue value{RegistryType::String, {}};
  for (const char16_t c : text) {
    value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
    value.data.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  if (terminated) {
    value.data.insert(value.data.end(), {0, 0});
  }
  return value;
}

class CountingTasks final : public LogonTasks {
 public:
  bool Create(std::u16string_view name, std::u16string_view path) override {
    created.push_back(std::u16string(name) + u"=" + std::u16string(path));
    return present = answer;
  }
  bool Delete(std::u16string_view) override {
    present = false;
    return answer;
  }
  bool Exists(std::u16string_view name) override { return present && name == u"Tessaly"; }
  bool answer = true;
  bool present = false;
  std::vector<std::u16string> created;
};

TEST(AutostartTest, NameIsTheFileNameUpToItsFirstDot) {
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"C:\\x.y\\Tessaly.new.exe", u"Tessaly"}, {u"C:\\Tessaly\\Tessaly.exe", u"Tessaly"},
      {u"C:\\a/b\\c/Tool.exe", u"Tool"},          {u"Tessaly", u"Tessaly"},
      {u"C:\\dir\\.hidden", u""},                 {u"", u""},
      {u"C:\\dir\\", u""}};
  for (const auto& [path, name] : cases) {
    EXPECT_EQ(AutostartName(path), name);
  }
}

TEST(AutostartTest, VistaAndLaterUseTheLogonTask) {
  FakeRegistry registry;
  CountingTasks tasks;
  Autostart autostart(registry, tasks, true, kProgram);
  EXPECT_FALSE(autostart.IsAutostart());
  EXPECT_TRUE(autostart.SetAutostart(true));
  EXPECT_TRUE(autostart.IsAutostart());
  EXPECT_EQ(tasks.created, std::vector<std::u16string>{std::u16string(u"Tessaly=") + kProgram});
  EXPECT_TRUE(autostart.SetAutostart(false));
  EXPECT_FALSE(autostart.IsAutostart());
  tasks.answer = false;
  EXPECT_FALSE(autostart.SetAutostart(true));
  EXPECT_EQ(registry.FindValue(RegistryRoot::CurrentUser, kRun, u"Tessaly"), nullptr);
}

TEST(AutostartTest, BeforeVistaTheRunValueHoldsTheQuotedPathWithoutTerminator) {
  FakeRegistry registry;
  CountingTasks tasks;
  Autostart autostart(registry, tasks, false, kProgram);
  EXPECT_FALSE(autostart.IsAutostart());
  EXPECT_TRUE(autostart.SetAutostart(true));
  const RegistryValue* value = registry.FindValue(RegistryRoot::CurrentUser, kRun, u"Tessaly");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(*value, Sz(std::u16string(u"\"") + kProgram + u"\"", false));
  EXPECT_TRUE(autostart.IsAutostart());
  EXPECT_TRUE(autostart.SetAutostart(false));
  EXPECT_FALSE(autostart.IsAutostart());
  EXPECT_FALSE(autostart.SetAutostart(false));  // nothing left to delete
  EXPECT_TRUE(tasks.created.empty());
}

TEST(AutostartTest, BeforeVistaTheUserValueHidesTheMachineValue) {
  FakeRegistry registry;
  CountingTasks tasks;
  Autostart autostart(registry, tasks, false, kProgram);
  registry.SetValue(RegistryRoot::LocalMachine, kRun, u"Tessaly",
                    Sz(std::u16string(u"\"") + kProgram + u"\" /hide"));
  EXPECT_TRUE(autostart.IsAutostart());
  registry.SetValue(RegistryRoot::CurrentUser, kRun, u"Tessaly", Sz(u"C:\\elsewhere\\T.exe"));
  EXPECT_FALSE(autostart.IsAutostart());
}

TEST(AutostartTest, BeforeVistaTheWholeLongPathIsCompared) {
  FakeRegistry registry;
  CountingTasks tasks;
  for (const std::size_t length : {110u, 115u, 400u, 32000u}) {
    SCOPED_TRACE(length);
    const std::u16string longPath = u"C:\\" + std::u16string(length, u'd') + u"\\Tessaly.exe";
    Autostart autostart(registry, tasks, false, longPath);
    ASSERT_TRUE(autostart.SetAutostart(true));
    EXPECT_TRUE(autostart.IsAutostart());
    ASSERT_TRUE(autostart.SetAutostart(false));
    EXPECT_FALSE(autostart.IsAutostart()) << "the entry is removed, not left starting the program";
  }
  // A value naming another program of the same name is not the program's, however long.
  registry.SetValue(RegistryRoot::CurrentUser, kRun, u"Tessaly",
                    Sz(u"C:\\" + std::u16string(300, u'd') + u"\\Tessaly.exe"));
  Autostart other(registry, tasks, false, u"C:\\" + std::u16string(300, u'e') + u"\\Tessaly.exe");
  EXPECT_FALSE(other.IsAutostart());
}

}  // namespace
}  // namespace tessaly
