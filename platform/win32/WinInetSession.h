#pragma once

#include <memory>

#include "platform/InternetSession.h"

namespace tessaly::win32 {

class OpenInternetHandles;

// The internet layer over WinINet: sessions opened with the agent "Mozilla/5.0", the
// system's preconfigured proxy settings and no flags; requests opened with
// InternetOpenUrlW under the context value 1.
class WinInet final : public Internet {
 public:
  WinInet();
  std::unique_ptr<InternetSession> OpenSession() const override;
  // Closes every session and request still open, on whatever thread uses it: a blocked
  // connect or read then fails at once (a download discards its file), and no session is
  // opened afterwards. For the program's end, so that no download keeps it alive.
  void CloseAll();

 private:
  std::shared_ptr<OpenInternetHandles> open_;
};

}  // namespace tessaly::win32
