#include "diagnosis/SslCacheClear.h"

#include <memory>

namespace tessaly {

bool ClearSslCache(const SslCacheLibraries& libraries) {
  const std::unique_ptr<SslCacheFunctions> functions = libraries.Load();
  if (functions == nullptr || functions->EmptySslCache() != true) {
    return false;
  }
  return functions->IncrementUrlCacheHeaderData(kUrlCacheSslStateCounter) == true;
}

}  // namespace tessaly
