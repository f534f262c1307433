#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnosis/SslCacheClear.h"
#include "tests/fakes/FakeSslCacheLibraries.h"

namespace tessaly {
namespace {

struct SslCase {
  const char* name;
  bool emptyCacheMissing;
  bool emptyCacheFails;
  bool incrementMissing;
  bool incrementFails;
  bool cleared;
  std::vector<std::string> transcript;
};

TEST(SslCacheClearTest, TrueOnlyWhenBothCallsSucceedAndTheLibrariesAreReleased) {
  const std::vector<SslCase> cases = {
      {"both succeed", false, false, false, false, true,
       {"load", "SslEmptyCacheW", "IncrementUrlCacheHeaderData 14", "release"}},
      {"emptying fails", false, true, false, false, false, {"load", "SslEmptyCacheW", "release"}},
      {"schannel function missing", true, false, false, false, false, {"load", "release"}},
      {"counter fails", false, false, false, true, false,
       {"load", "SslEmptyCacheW", "IncrementUrlCacheHeaderData 14", "release"}},
      {"wininet function missing", false, false, true, false, false,
       {"load", "SslEmptyCacheW", "release"}},
  };
  for (const SslCase& sslCase : cases) {
    FakeSslCacheLibraries libraries;
    FakeSslCacheLibraries::Script& script = libraries.script();
    script.emptyCacheMissing = sslCase.emptyCacheMissing;
    script.emptyCacheFails = sslCase.emptyCacheFails;
    script.incrementMissing = sslCase.incrementMissing;
    script.incrementFails = sslCase.incrementFails;
    EXPECT_EQ(ClearSslCache(libraries), sslCase.cleared) << sslCase.name;
    EXPECT_EQ(script.transcript, sslCase.transcript) << sslCase.name;
  }
}

}  // namespace
}  // namespace tessaly
