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

// The registered task as the scheduler reports it, read without the code under test.
struct TaskFacts {
  bool found = false;
  std::u16string author;
  std::u16string path;
  long triggers = -1;
  TASK_RUNLEVEL_TYPE runLevel = TASK_RUNLEVEL_LUA;
};

TaskFacts ReadTask(std::u16string_view name) {
  TaskFacts facts;
  ITaskService* service = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ITaskService, reinterpret_cast<void**>(&service)))) {
    return facts;
  }
  const unique_com_ptr<ITaskService> ownedService(service);
  VARIANT none;
  VariantInit(&none);
  ITaskFolder* folder = nullptr;
  const unique_bstr root = MakeBstr(u"\\");
  if (FAILED(service->Connect(none, none, none, none)) ||
      FAILED(service->GetFolder(root.get(), &folder))) {
    return facts;
  }
  const unique_com_ptr<ITaskFolder> ownedFolder(folder);
  IRegisteredTask* task = nullptr;
  if (FAILED(folder->GetTask(MakeBstr(name).get(), &task))) {
    return facts;
  }
  const unique_com_ptr<IRegisteredTask> ownedTask(task);
  facts.found = true;
  ITaskDefinition* definition = nullptr;
  if (FAILED(task->get_Definition(&definition))) {
    return facts;
  }
  const unique_com_ptr<ITaskDefinition> ownedDefinition(definition);
  IRegistrationInfo* info = nullptr;
  if (SUCCEEDED(definition->get_RegistrationInfo(&info))) {
    const unique_com_ptr<IRegistrationInfo> owned(info);
    BSTR author = nullptr;
    if (SUCCEEDED(owned->get_Author(&author)) && author != nullptr) {
      facts.author = TextOfBstr(author);
      SysFreeString(author);
    }
  }
  IActionCollection* actions = nullptr;
  if (SUCCEEDED(definition->get_Actions(&actions))) {
    const unique_com_ptr<IActionCollection> owned(actions);
    IAction* action = nullptr;
    if (SUCCEEDED(owned->get_Item(1, &action))) {
      const unique_com_ptr<IAction> ownedAction(action);
      IExecAction* exec = nullptr;
      if (SUCCEEDED(action->QueryInterface(IID_IExecAction, reinterpret_cast<void**>(&exec)))) {
        const unique_com_ptr<IExecAction> ownedExec(exec);
        BSTR path = nullptr;
        if (SUCCEEDED(exec->get_Path(&path)) && path != nullptr) {
          facts.path = TextOfBstr(path);
          SysFreeString(path);
        }
      }
    }
  }
  ITriggerCollection* triggers = nullptr;
  if (SUCCEEDED(definition->get_Triggers(&triggers))) {
    const unique_com_ptr<ITriggerCollection> owned(triggers);
    owned->get_Count(&facts.triggers);
  }
  IPrincipal* principal = nullptr;
  if (SUCCEEDED(definition->get_Principal(&principal))) {
    const unique_com_ptr<IPrincipal> owned(principal);
    owned->get_RunLevel(&facts.runLevel);
  }
  return facts;
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
  const TaskFacts facts = ReadTask(name);
  ASSERT_TRUE(facts.found);
  EXPECT_EQ(facts.author, u"Brimvane");
  EXPECT_EQ(facts.path, program);
  EXPECT_EQ(facts.runLevel, TASK_RUNLEVEL_HIGHEST);
  // Where the scheduler cannot make the logon trigger, the task stands without one.
  EXPECT_EQ(facts.triggers, SchedulerMakesLogonTriggers() ? 1 : 0);
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
  EXPECT_EQ(ReadTask(u"TessalyAutostartTest").path, program);
  EXPECT_TRUE(autostart.SetAutostart(false));
  EXPECT_FALSE(autostart.IsAutostart());
}

}  // namespace
}  // namespace tessaly::win32
