// The default document as the native build embeds it; the Windows tests read the same
// document through the real resource API.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "config/CheckItemsParser.h"
#include "platform/BankServers.h"
#include "platform/native/EmbeddedResources.h"
#include "tests/config/FakeConfigPlatform.h"

namespace tessaly {
namespace {

TEST(BankServersTest, TheDefaultDocumentNamesTheCompiledInDownloadServer) {
  FakeConfigPlatform fakes;
  CheckConfig config;
  ASSERT_TRUE(ParseCheckItems(
      config, EmbeddedResources().LoadResourceBytes("item.xml", kResourceTypeHtml), fakes.platform));
  const std::string server = std::string(kDownloadServer) + "/";
  EXPECT_TRUE(config.base.starts_with(server)) << config.base;
  EXPECT_TRUE(config.appInfo.remote.starts_with(server)) << config.appInfo.remote;

  // The documents and enrolment controls live in the folder the base names.
  const std::string folder = config.base.substr(kDownloadServer.size());
  for (const std::string_view path : {kConfigDocumentPath32, kConfigDocumentPath64,
                                      kCertEnrollDllPath, kCertEnrollControlPath, kXenrollDllPath}) {
    EXPECT_TRUE(path.starts_with(folder)) << path;
  }
}

}  // namespace
}  // namespace tessaly

#endif  // _WIN32
