#pragma once

#include <string>

#include "platform/portable/CLibraryRandom.h"
#include "platform/win32/Win32CertificateStores.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32CodePages.h"
#include "platform/win32/Win32ComponentServices.h"
#include "platform/win32/Win32ConnectionState.h"
#include "platform/win32/Win32ModuleLoader.h"
#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32FileOperations.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32LinkOpener.h"
#include "platform/win32/Win32LogonTasks.h"
#include "platform/win32/Win32ModuleResources.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Resolver.h"
#include "platform/win32/Win32SslCacheLibraries.h"
#include "platform/win32/Win32SystemFacts.h"
#include "platform/win32/Win32UrlZones.h"
#include "platform/win32/Win32WholeFiles.h"
#include "platform/win32/Win32WideEnvironment.h"
#include "platform/win32/WinInetSession.h"
#include "shell/core/ProgramCore.h"

namespace tessaly::win32 {

// The Windows implementation of every service the program core reaches, owned in one
// place for a host; it must outlive the core it is given to.
class Win32ProgramServices {
 public:
  // `applicationName` names the key of the administrator's document override.
  explicit Win32ProgramServices(std::u16string applicationName);
  Win32ProgramServices(const Win32ProgramServices&) = delete;
  Win32ProgramServices& operator=(const Win32ProgramServices&) = delete;

  ProgramPlatform Platform();
  const Win32Registry& registry() const { return registry_; }
  // The program is ending: no process is started any more (no installer, no restart) and
  // every download is cancelled, so the workers end soon.
  void StopForExit();

 private:
  Win32Registry registry_;
  Win32Clock clock_;
  Win32CodePages codePages_;
  Win32FileSystem fileSystem_;
  Win32Environment environment_;
  Win32SystemFacts systemFacts_;
  Win32ModuleResources resources_;
  Win32ConnectionState connection_;
  WinInet internet_;
  CLibraryRandom random_{clock_};
  Win32WideEnvironment wideEnvironment_;
  Win32WholeFiles wholeFiles_;
  Win32Resolver resolver_;
  Win32UrlZoneServices zones_;
  Win32SslCacheLibraries sslCache_;
  Win32CertificateStores certificateStores_;
  Win32LogonTasks logonTasks_;
  Win32LinkOpener links_;
  Win32ComponentServices components_;
  Win32ModuleLoader modules_;
  Win32FileOperations fileOperations_;
  std::u16string applicationName_;
};

}  // namespace tessaly::win32
