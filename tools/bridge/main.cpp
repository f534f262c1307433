// TessalyBridge.exe: Tessaly for development and the browser tests. The same program core,
// window, tray icon and start-up as Tessaly.exe, with the page served to a browser on this
// machine instead of the browser control (Wine has no HTML engine for that control). Never
// shipped and not built for a release.
//
//   TessalyBridge.exe [/hide] [--address-file=PATH]
//
// prints the page's address, http://127.0.0.1:PORT/TOKEN/, once it listens, and writes it
// to PATH as well (whole, in one step). A test starts it in a Wine prefix on a display
// (xvfb-run), waits for PATH, opens the address in Chromium and ends it with the tray
// command "退出" (see tests/bridge/run-bridge-tests.sh and tests/bridge/bridge.mjs). A
// second start only brings the first one's window back, as with Tessaly.exe.
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "shell/win32/TessalyApp.h"
#include "tools/bridge/BridgePage.h"

int wmain() {
  using namespace tessaly::win32;
  const std::vector<std::u16string> arguments = ProgramArguments();
  constexpr std::u16string_view kAddressFile = u"--address-file=";
  std::u16string addressFile;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i].starts_with(kAddressFile)) {
      addressFile = arguments[i].substr(kAddressFile.size());
    }
  }
  std::string token = RandomBridgeToken();
  if (token.empty()) {
    std::fputs("TessalyBridge: the system's random source failed\n", stderr);
    return 1;
  }
  BridgePage page(std::move(token), std::move(addressFile));
  CTessalyApp application;
  return application.Run(GetModuleHandleW(nullptr), arguments, &page);
}
