#include <gtest/gtest.h>

#include <windows.h>
#include <taskschd.h>

#include <string>

#include "platform/win32/ComApartment.h"
#include "platform/win32/ComValues.h"
#include "platform/win32/UniqueComPtr.h"
#include "platform/win32/Win32LogonTasks.h"
#include "platform/win32/Win32ProgramPath.h"
#include "platform/win32/Win32Registry.h"
#include "shell/Autostart.h"

namespace tessaly::win32 {
namespace {

// The registered task's definition as the scheduler stores it (its XML), read without
// the code under test; empty when there is no such task.
std::u16string TaskXml(std::u16string_view name) {
  ITaskService* service = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ITaskService, reinterpret_cast<void**>(&service)))) {
    return {};
  }
  const unique_com_ptr<ITaskService> ownedService(service);
  VARIANT none;
  VariantInit(&none);
  ITaskFolder* folder = nullptr;
  const unique_bstr root = MakeBstr(u"\\");
  if (FAILED(service->Connect(none, none, none, none)) ||
      FAILED(service->GetFolder(root.get(), &folder))) {
    return {};
  }
  const unique_com_ptr<ITaskFolder> ownedFolder(folder);
  IRegisteredTask* task = nullptr;
  if (FAILED(folder->GetTask(MakeBstr(name).get(), &task))) {
    return {};
  }
  const unique_com_ptr<IRegisteredTask> ownedTask(task);
  BSTR xml = nullptr;
  if (FAILED(task->get_Xml(&xml)) || xml == nullptr) {
    return {};
  }
  const unique_bstr ownedXml(xml);
  return TextOfBstr(xml);
}

bool Holds(const std::u16string& text, std::u16string_view part) {
  return text.find(part) != std::u16string::npos;
}

// Does this scheduler make logon triggers at all? (Wine answers E_NOTIMPL.)
bool SchedulerMakesLogonTriggers() {
  ITaskService* service = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ITaskService, reinterpret_cast<void**>(&service)))) {
    return false;
  }
  const unique_com_ptr<ITaskService> owned(service);
  VARIANT none;
  VariantInit(&none);
  ITaskDefinition* definition = nullptr;
  if (FAILED(service->Connect(none, none, none, none)) ||
      FAILED(service->NewTask(0, &definition))) {
    return false;
  }
  const unique_com_ptr<ITaskDefinition> ownedDefinition(definition);
  ITriggerCollection* triggers = nullptr;
  if (FAILED(definition->get_Triggers(&triggers))) {
    return false;
  }
  const unique_com_ptr<ITriggerCollection> ownedTriggers(triggers);
  ITrigger* trigger = nullptr;
  const bool made = SUCCEEDED(ownedTriggers->Create(TASK_TRIGGER_LOGON, &trigger));
  const unique_com_ptr<ITrigger> ownedTrigger(trigger);
  return made;
}

TEST(Win32LogonTasksTest, CreateReplacesDeleteRemovesAndExistsAsks) {
  const ComApartment apartment;
  Win32LogonTasks tasks;
  const std::u16string name = u"TessalyTest" + std::u16string(u"Logon");
  const std::u16string program = ModuleFilePath();
  tasks.Delete(name);
  EXPECT_FALSE(tasks.Exists(name));
  ASSERT_TRUE(tasks.Create(name, u"C:\\elsewhere\\Tessaly.exe"));
  ASSERT_TRUE(tasks.Create(name, program));  // the old one is replaced, not doubled
  EXPECT_TRUE(tasks.Exists(name));
  const std::u16string xml = TaskXml(name);
  EXPECT_TRUE(Holds(xml, u"<Author>Brimvane</Author>"));
  EXPECT_TRUE(Holds(xml, u"<StartWhenAvailable>true</StartWhenAvailable>"));
  EXPECT_FALSE(Holds(xml, u"elsewhere"));
  // Wine stores neither the actions nor the run level (its writer leaves them out); a
  // scheduler that stores them must hold ours.
  if (Holds(xml, u"<Command>")) {
    EXPECT_TRUE(Holds(xml, u"<Command>" + program + u"</Command>"));
    EXPECT_TRUE(Holds(xml, u"<RunLevel>HighestAvailable</RunLevel>"));
  }
  // Where the scheduler cannot make the logon trigger, the task stands without one.
  EXPECT_EQ(Holds(xml, u"<LogonTrigger>"), SchedulerMakesLogonTriggers());
  EXPECT_TRUE(tasks.Delete(name));
  EXPECT_FALSE(tasks.Exists(name));
  EXPECT_TRUE(tasks.Delete(name));  // nothing to delete is no failure
}

TEST(Win32LogonTasksTest, StartWithWindowsOverTheRealScheduler) {
  const ComApartment apartment;
  Win32Registry registry;
  Win32LogonTasks tasks;
  const std::u16string program = u"C:\\x.y\\TessalyAutostartTest.new.exe";
  Autostart autostart(registry, tasks, true, program);
  ASSERT_TRUE(autostart.SetAutostart(true));
  EXPECT_TRUE(autostart.IsAutostart());
  EXPECT_TRUE(Holds(TaskXml(u"TessalyAutostartTest"), u"<Author>Brimvane</Author>"));
  EXPECT_TRUE(autostart.SetAutostart(false));
  EXPECT_FALSE(autostart.IsAutostart());
}

}  // namespace
}  // namespace tessaly::win32
