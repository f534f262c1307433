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
  FakeSslCacheLibraries::Script setup;
  bool cleared;
  std::vector<std::string> transcript;
};

TEST(SslCacheClearTest, TrueOnlyWhenBothCallsSucceedAndTheLibrariesAreReleased) {
  const std::vector<std::string> both = {"load", "SslEmptyCacheW",
                                         "IncrementUrlCacheHeaderData 14", "release"};
  const std::vector<std::string> emptyingOnly = {"load", "SslEmptyCacheW", "release"};
  const std::vector<SslCase> cases = {
      {"both succeed", {}, true, both},
      {"emptying fails", {.emptyCacheFails = true}, false, emptyingOnly},
      {"schannel function missing", {.emptyCacheMissing = true}, false, {"load", "release"}},
      {"counter fails", {.incrementFails = true}, false, both},
      {"wininet function missing", {.incrementMissing = true}, false, emptyingOnly},
  };
  for (const SslCase& sslCase : cases) {
    FakeSslCacheLibraries libraries;
    FakeSslCacheLibraries::Script& script = libraries.script();
    script = sslCase.setup;
    EXPECT_EQ(ClearSslCache(libraries), sslCase.cleared) << sslCase.name;
    EXPECT_EQ(script.transcript, sslCase.transcript) << sslCase.name;
  }
}

}  // namespace
}  // namespace tessaly
