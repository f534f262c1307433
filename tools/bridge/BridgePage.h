#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "platform/win32/Win32ModuleResources.h"
#include "shell/bridge/BridgeRoute.h"
#include "shell/bridge/QueuedPageSink.h"
#include "shell/win32/PageRealisation.h"
#include "tools/bridge/LoopbackHttpServer.h"

namespace tessaly::win32 {

// The page of the development bridge: page 104 and its assets, served from this program's
// own resources to a browser on the same machine at http://127.0.0.1:<port>/<token>/, with
// a script (resource EXTERNAL.JS) that gives the page an `external` object. That object
// calls the program's method table synchronously, on the GUI thread, through the same
// dispatch object the browser control gets; every page function the program calls meanwhile
// comes back with the call's answer, and those called from timers with the page's next
// poll, all in the order the program made them.
class BridgePage final : public PageRealisation {
 public:
  // `token` guards every address of the run; the page's address is written to
  // `addressFile` (when not empty) and to standard output once the server listens.
  BridgePage(std::string token, std::u16string addressFile);
  ~BridgePage() override;
  BridgePage(const BridgePage&) = delete;
  BridgePage& operator=(const BridgePage&) = delete;

  PageSink& Page() override { return page_; }
  void Start(HWND window, IDispatch& external, ProgramCore& core) override;
  void Stop() override;

 private:
  static LRESULT CALLBACK CallWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Server thread: the whole response, or nothing to close the connection unanswered.
  std::optional<std::string> Answer(const ReceivedHttpRequest& request);
  std::string Asset(const BridgeRoute& route) const;
  // Runs `work` on the GUI thread and waits for it; false when the window is going.
  bool OnGuiThread(const std::function<void()>& work);
  std::string Exchange(const std::string& answerLine);
  void PublishAddress() const;

  std::string token_;
  std::u16string addressFile_;
  QueuedPageSink page_;
  Win32ModuleResources resources_;
  LoopbackHttpServer server_;
  HWND mainWindow_ = nullptr;
  HWND callWindow_ = nullptr;
  IDispatch* external_ = nullptr;
  ProgramCore* core_ = nullptr;
  std::atomic<bool> stopping_{false};
};

// A token of 128 bits from the system's random source, in hex; empty when the source
// fails (the bridge then refuses to start rather than run behind a guessable token).
std::string RandomBridgeToken();

}  // namespace tessaly::win32
