#include <gtest/gtest.h>

#include <windows.h>
#include <taskschd.h>

#include <optional>
#include <string>

#include "platform/win32/ComApartment.h"
#include "platform/win32/ComValues.h"
#include "platform/win32/UniqueComPtr.h"
#include "platform/win32/Win32LogonTasks.h"
#include "platform/win32/Win32ProgramPath.h"
#include "platform/win32/Win32Registry.h"
#include "shell/Autostart.h"
#include "tests/win32/RunningSystem.h"

namespace tessaly::win32 {
namespace {

// The scheduler connected to this computer, made without the code under test.
unique_com_ptr<ITaskService> ConnectedService() {
  ITaskService* service = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ITaskService, reinterpret_cast<void**>(&service)))) {
    return nullptr;
  }
  unique_com_ptr<ITaskService> owned(service);
  VARIANT none;
  VariantInit(&none);
  if (FAILED(owned->Connect(none, none, none, none))) {
    return nullptr;
  }
  return owned;
}

// The registered task's definition as the scheduler stores it (its XML); empty when there
// is no such task.
std::u16string TaskXml(std::u16string_view name) {
  const unique_com_ptr<ITaskService> service = ConnectedService();
  ITaskFolder* folder = nullptr;
  const unique_bstr root = MakeBstr(u"\\");
  if (!service || FAILED(service->GetFolder(root.get(), &folder))) {
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
  const unique_com_ptr<ITaskService> service = ConnectedService();
  ITaskDefinition* definition = nullptr;
  if (!service || FAILED(service->NewTask(0, &definition))) {
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

// A text property read back through its getter; nothing when the getter fails.
template <typename Object>
std::optional<std::u16string> TextProperty(Object& object, HRESULT (STDMETHODCALLTYPE Object::*get)(BSTR*)) {
  BSTR text = nullptr;
  if (FAILED((object.*get)(&text))) {
    return std::nullopt;
  }
  const unique_bstr owned(text);
  return text == nullptr ? u"" : TextOfBstr(text);
}

// What the definition the program hands over asks for, read back through its objects, with
// the answer of the getter each part needed (Wine's scheduler keeps no run level, action or
// trigger, and its getters of them answer E_NOTIMPL).
struct AskedFor {
  std::optional<std::u16string> author;
  VARIANT_BOOL startWhenAvailable = VARIANT_FALSE;
  HRESULT runLevelRead = E_FAIL;
  TASK_RUNLEVEL_TYPE runLevel{};
  HRESULT actionRead = E_FAIL;
  std::optional<std::u16string> command;
  HRESULT triggerRead = E_FAIL;
  TASK_TRIGGER_TYPE2 triggerType{};
  std::optional<std::u16string> triggerId;
};

void ReadAction(IActionCollection& actions, AskedFor& asked) {
  long count = 0;
  IAction* action = nullptr;
  asked.actionRead = actions.get_Count(&count);
  if (FAILED(asked.actionRead) || count != 1 || FAILED(asked.actionRead = actions.get_Item(1, &action))) {
    return;
  }
  const unique_com_ptr<IAction> owned(action);
  IExecAction* exec = nullptr;
  if (SUCCEEDED(action->QueryInterface(IID_IExecAction, reinterpret_cast<void**>(&exec)))) {
    const unique_com_ptr<IExecAction> ownedExec(exec);
    asked.command = TextProperty(*ownedExec, &IExecAction::get_Path);
  }
}

void ReadTrigger(ITriggerCollection& triggers, AskedFor& asked) {
  long count = 0;
  ITrigger* trigger = nullptr;
  asked.triggerRead = triggers.get_Count(&count);
  if (FAILED(asked.triggerRead) || count != 1 || FAILED(asked.triggerRead = triggers.get_Item(1, &trigger))) {
    return;
  }
  const unique_com_ptr<ITrigger> owned(trigger);
  trigger->get_Type(&asked.triggerType);
  asked.triggerId = TextProperty(*owned, &ITrigger::get_Id);
}

AskedFor ReadBack(ITaskDefinition& definition) {
  AskedFor asked;
  IRegistrationInfo* info = nullptr;
  if (SUCCEEDED(definition.get_RegistrationInfo(&info))) {
    const unique_com_ptr<IRegistrationInfo> owned(info);
    asked.author = TextProperty(*owned, &IRegistrationInfo::get_Author);
  }
  ITaskSettings* settings = nullptr;
  if (SUCCEEDED(definition.get_Settings(&settings))) {
    const unique_com_ptr<ITaskSettings> owned(settings);
    owned->get_StartWhenAvailable(&asked.startWhenAvailable);
  }
  IPrincipal* principal = nullptr;
  if (SUCCEEDED(definition.get_Principal(&principal))) {
    const unique_com_ptr<IPrincipal> owned(principal);
    asked.runLevelRead = owned->get_RunLevel(&asked.runLevel);
  }
  IActionCollection* actions = nullptr;
  if (SUCCEEDED(definition.get_Actions(&actions))) {
    const unique_com_ptr<IActionCollection> owned(actions);
    ReadAction(*owned, asked);
  }
  ITriggerCollection* triggers = nullptr;
  if (SUCCEEDED(definition.get_Triggers(&triggers))) {
    const unique_com_ptr<ITriggerCollection> owned(triggers);
    ReadTrigger(*owned, asked);
  }
  return asked;
}

TEST(Win32LogonTasksTest, TheDefinitionAsksForTheProgramAtLogonAtTheHighestRunLevel) {
  const ComApartment apartment;
  const unique_com_ptr<ITaskService> service = ConnectedService();
  ASSERT_TRUE(service);
  const std::u16string program = u"C:\\Program Files (x86)\\Quaymark Tessaly\\Tessaly.exe";
  const unique_com_ptr<ITaskDefinition> definition = MakeLogonTaskDefinition(*service, program);
  ASSERT_TRUE(definition);
  const AskedFor asked = ReadBack(*definition);
  EXPECT_EQ(asked.author, u"Brimvane");
  EXPECT_EQ(asked.startWhenAvailable, VARIANT_TRUE);
  if (RunningUnderWine()) {
    // Wine keeps none of these parts; when it learns to, this test must check them here too.
    EXPECT_EQ(asked.runLevelRead, E_NOTIMPL);
    EXPECT_EQ(asked.actionRead, E_NOTIMPL);
    EXPECT_EQ(asked.triggerRead, E_NOTIMPL);
    return;
  }
  EXPECT_EQ(asked.runLevelRead, S_OK);
  EXPECT_EQ(asked.runLevel, TASK_RUNLEVEL_HIGHEST);
  EXPECT_EQ(asked.actionRead, S_OK);
  EXPECT_EQ(asked.command, program);
  EXPECT_EQ(asked.triggerRead, S_OK);
  EXPECT_EQ(asked.triggerType, TASK_TRIGGER_LOGON);
  EXPECT_EQ(asked.triggerId, u"Trigger1");
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
