#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/portable/Utf8Codec.h"
#include "tests/fakes/TestPattern.h"

namespace tessaly::win32 {

// Tests against the local HTTP test server (tests/server/http_test_server.py), whose
// address tests/server/with-test-server.sh puts into TESSALY_TEST_SERVER; Wine hands the
// variable through. Without it these tests are skipped, never passed.
class TestServerTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* server = std::getenv("TESSALY_TEST_SERVER");
    if (server == nullptr || *server == '\0') {
      GTEST_SKIP() << "TESSALY_TEST_SERVER is not set; run the tests through "
                      "tests/server/with-test-server.sh";
    }
    server_ = server;
  }

  const std::string& Server() const { return server_; }
  std::u16string Url(std::string_view path) const { return DecodeUtf8(server_ + std::string(path)); }

  // A name no other test run uses, for probe tokens, files and registry keys.
  static std::string Unique(std::string_view what) {
    return std::string(what) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount());
  }

 private:
  std::string server_;
};

}  // namespace tessaly::win32
