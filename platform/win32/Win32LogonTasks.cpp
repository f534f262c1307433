#include "platform/win32/Win32LogonTasks.h"

#include <windows.h>

#include "platform/win32/ComValues.h"
#include "platform/win32/UniqueComPtr.h"

namespace tessaly::win32 {
namespace {

constexpr std::u16string_view kRootFolder = u"\\";
constexpr std::u16string_view kAuthor = u"Brimvane";
constexpr std::u16string_view kTriggerId = u"Trigger1";
constexpr std::u16string_view kAdministrators = u"Builtin\\Administrators";

// What every operation starts with: the scheduler's service connected to this computer
// and its root folder.
unique_com_ptr<ITaskFolder> OpenRootFolder(unique_com_ptr<ITaskService>& service) {
  ITaskService* created = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr,
                              CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_ITaskService,
                              reinterpret_cast<void**>(&created)))) {
    return nullptr;
  }
  service.reset(created);
  VARIANT none;
  VariantInit(&none);
  if (FAILED(service->Connect(none, none, none, none))) {
    return nullptr;
  }
  const unique_bstr root = MakeBstr(kRootFolder);
  ITaskFolder* folder = nullptr;
  if (!root || FAILED(service->GetFolder(root.get(), &folder))) {
    return nullptr;
  }
  return unique_com_ptr<ITaskFolder>(folder);
}

void DeleteTask(ITaskFolder& folder, std::u16string_view name) {
  const unique_bstr text = MakeBstr(name);
  if (text) {
    folder.DeleteTask(text.get(), 0);
  }
}

// The best-effort parts of the definition: each is skipped when its object cannot be had.
void SetStartAndTrigger(ITaskDefinition& definition) {
  ITaskSettings* settings = nullptr;
  if (SUCCEEDED(definition.get_Settings(&settings))) {
    const unique_com_ptr<ITaskSettings> owned(settings);
    owned->put_StartWhenAvailable(VARIANT_TRUE);
  }
  ITriggerCollection* triggers = nullptr;
  if (SUCCEEDED(definition.get_Triggers(&triggers))) {
    const unique_com_ptr<ITriggerCollection> ownedTriggers(triggers);
    ITrigger* trigger = nullptr;
    if (SUCCEEDED(ownedTriggers->Create(TASK_TRIGGER_LOGON, &trigger))) {
      // The id lives on the trigger's base interface, which the logon trigger extends.
      const unique_com_ptr<ITrigger> ownedTrigger(trigger);
      if (const unique_bstr id = MakeBstr(kTriggerId)) {
        ownedTrigger->put_Id(id.get());
      }
    }
  }
  IPrincipal* principal = nullptr;
  if (SUCCEEDED(definition.get_Principal(&principal))) {
    const unique_com_ptr<IPrincipal> owned(principal);
    owned->put_RunLevel(TASK_RUNLEVEL_HIGHEST);
  }
}

bool AddProgramAction(ITaskDefinition& definition, std::u16string_view programPath) {
  IActionCollection* actions = nullptr;
  if (FAILED(definition.get_Actions(&actions))) {
    return false;
  }
  const unique_com_ptr<IActionCollection> ownedActions(actions);
  IAction* action = nullptr;
  if (FAILED(ownedActions->Create(TASK_ACTION_EXEC, &action))) {
    return false;
  }
  const unique_com_ptr<IAction> ownedAction(action);
  IExecAction* exec = nullptr;
  if (FAILED(ownedAction->QueryInterface(IID_IExecAction, reinterpret_cast<void**>(&exec)))) {
    return false;
  }
  const unique_com_ptr<IExecAction> ownedExec(exec);
  const unique_bstr path = MakeBstr(programPath);
  return path && SUCCEEDED(ownedExec->put_Path(path.get()));
}

bool SetAuthor(ITaskDefinition& definition) {
  IRegistrationInfo* info = nullptr;
  if (FAILED(definition.get_RegistrationInfo(&info))) {
    return false;
  }
  const unique_com_ptr<IRegistrationInfo> owned(info);
  const unique_bstr author = MakeBstr(kAuthor);
  return author && SUCCEEDED(owned->put_Author(author.get()));
}

bool Register(ITaskFolder& folder, ITaskDefinition& definition, std::u16string_view name) {
  const unique_bstr taskName = MakeBstr(name);
  ScopedVariant user;
  user.get()->vt = VT_BSTR;
  user.get()->bstrVal = MakeBstr(kAdministrators).release();
  ScopedVariant noPassword;
  ScopedVariant descriptor;
  descriptor.get()->vt = VT_BSTR;
  descriptor.get()->bstrVal = MakeBstr(u"").release();
  if (!taskName || user.value().bstrVal == nullptr || descriptor.value().bstrVal == nullptr) {
    return false;
  }
  IRegisteredTask* registered = nullptr;
  const HRESULT result = folder.RegisterTaskDefinition(
      taskName.get(), &definition, TASK_CREATE_OR_UPDATE, user.value(), noPassword.value(),
      TASK_LOGON_GROUP, descriptor.value(), &registered);
  const unique_com_ptr<IRegisteredTask> owned(registered);
  return SUCCEEDED(result) && owned;
}

}  // namespace

unique_com_ptr<ITaskDefinition> MakeLogonTaskDefinition(ITaskService& service,
                                                        std::u16string_view programPath) {
  ITaskDefinition* created = nullptr;
  if (FAILED(service.NewTask(0, &created))) {
    return nullptr;
  }
  unique_com_ptr<ITaskDefinition> definition(created);
  if (!SetAuthor(*definition)) {
    return nullptr;
  }
  SetStartAndTrigger(*definition);
  if (!AddProgramAction(*definition, programPath)) {
    return nullptr;
  }
  return definition;
}

bool Win32LogonTasks::Create(std::u16string_view name, std::u16string_view programPath) {
  unique_com_ptr<ITaskService> service;
  const unique_com_ptr<ITaskFolder> folder = OpenRootFolder(service);
  if (!folder) {
    return false;
  }
  DeleteTask(*folder, name);
  const unique_com_ptr<ITaskDefinition> definition = MakeLogonTaskDefinition(*service, programPath);
  return definition && Register(*folder, *definition, name);
}

bool Win32LogonTasks::Delete(std::u16string_view name) {
  unique_com_ptr<ITaskService> service;
  const unique_com_ptr<ITaskFolder> folder = OpenRootFolder(service);
  if (!folder) {
    return false;
  }
  DeleteTask(*folder, name);
  return true;
}

bool Win32LogonTasks::Exists(std::u16string_view name) {
  unique_com_ptr<ITaskService> service;
  const unique_com_ptr<ITaskFolder> folder = OpenRootFolder(service);
  const unique_bstr text = MakeBstr(name);
  if (!folder || !text) {
    return false;
  }
  IRegisteredTask* task = nullptr;
  const HRESULT result = folder->GetTask(text.get(), &task);
  const unique_com_ptr<IRegisteredTask> owned(task);
  return SUCCEEDED(result) && owned;
}

}  // namespace tessaly::win32
