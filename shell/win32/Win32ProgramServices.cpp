#include "shell/win32/Win32ProgramServices.h"

#include <utility>

#include "platform/win32/Win32ProgramPath.h"

namespace tessaly::win32 {

Win32ProgramServices::Win32ProgramServices(std::u16string applicationName)
    : applicationName_(std::move(applicationName)) {}

ProgramPlatform Win32ProgramServices::Platform() {
  return ProgramPlatform{registry_,  clock_,          codePages_,         fileSystem_,
                         environment_, systemFacts_,  resources_,         connection_,
                         internet_,  random_,         wideEnvironment_,   wholeFiles_,
                         resolver_,  zones_,          sslCache_,          certificateStores_,
                         logonTasks_, links_,
                         components_.paths, components_.redirection, components_.versions,
                         components_.files, components_.files, components_.usb,
                         components_.launcher, modules_, fileOperations_, components_.signatures,
                         ModuleFilePath(), applicationName_};
}

void Win32ProgramServices::StopForExit() {
  components_.launcher.RefuseNewProcesses();
  internet_.CloseAll();
}

}  // namespace tessaly::win32
