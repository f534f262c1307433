#pragma once

#include "platform/InternetSession.h"

namespace tessaly::win32 {

// The internet layer over WinINet: sessions opened with the agent "Mozilla/5.0", the
// system's preconfigured proxy settings and no flags; requests opened with
// InternetOpenUrlW under the context value 1.
class WinInet final : public Internet {
 public:
  std::unique_ptr<InternetSession> OpenSession() const override;
};

}  // namespace tessaly::win32
