#pragma once

#include "platform/SslCacheFunctions.h"

namespace tessaly::win32 {

// "SslEmptyCacheW" of schannel.dll and "IncrementUrlCacheHeaderData" of wininet.dll,
// looked up at run time (neither is in the import libraries of every toolchain, and a
// system may lack them); each load is released with the returned object.
class Win32SslCacheLibraries final : public SslCacheLibraries {
 public:
  std::unique_ptr<SslCacheFunctions> Load() const override;
};

}  // namespace tessaly::win32
