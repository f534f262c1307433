#pragma once

#include "platform/SslCacheFunctions.h"

namespace tessaly {

// Check item 12 (repair only): empties the SSL session cache and then tells the internet
// layer so through the URL cache header's SSL state counter. True only when both calls
// succeeded; the counter is not touched when emptying failed. A missing library or
// function makes the answer false. The libraries are released before it returns.
bool ClearSslCache(const SslCacheLibraries& libraries);

}  // namespace tessaly
