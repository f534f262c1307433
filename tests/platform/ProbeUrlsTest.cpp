#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/HttpDownload.h"
#include "tests/fakes/FakeInternet.h"

namespace tessaly {
namespace {

using testing::ElementsAre;

std::vector<std::u16string> OpenedUrls(const FakeInternet& internet) {
  std::vector<std::u16string> urls;
  for (const FakeInternet::OpenedRequest& request : internet.log().opened) {
    urls.push_back(request.url);
  }
  return urls;
}

class ProbeUrlsTest : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(internet.log().liveSessions, 0) << "the probe's own session is closed";
    EXPECT_EQ(internet.log().liveRequests, 0);
    EXPECT_LE(internet.log().mostLiveRequests, 1) << "each URL is closed before the next";
  }

  FakeInternet internet;
};

TEST_F(ProbeUrlsTest, EveryUrlThatOpensIsReachableWhateverItsStatus) {
  internet.responses[u"https://ebank.test/"] = FakeResponse::Ok("welcome");
  internet.responses[u"https://ebank.test/gone"] = FakeResponse::WithStatus(404, "not found");
  internet.responses[u"http://www.test/"] = FakeResponse{.status = 503};
  const std::vector<std::u16string> urls = {u"https://ebank.test/", u"https://ebank.test/gone",
                                            u"http://www.test/"};
  EXPECT_TRUE(ProbeUrls(internet, urls));
  EXPECT_EQ(OpenedUrls(internet), urls);
  EXPECT_EQ(internet.log().sessionsOpened, 1);
  for (const FakeInternet::OpenedRequest& request : internet.log().opened) {
    EXPECT_EQ(request.flags, HttpOpenFlags{.reload = true}) << "reload only, even for https";
  }
  EXPECT_TRUE(internet.log().bytesRead.empty()) << "only the opening counts";
}

TEST_F(ProbeUrlsTest, StopsAtTheFirstUnreachableUrl) {
  internet.responses[u"https://a.test/"] = FakeResponse::Ok("a");
  internet.responses[u"https://c.test/"] = FakeResponse::Ok("c");
  const std::vector<std::u16string> urls = {u"https://a.test/", u"https://refused.test/",
                                            u"https://c.test/"};
  EXPECT_FALSE(ProbeUrls(internet, urls));
  EXPECT_THAT(OpenedUrls(internet), ElementsAre(u"https://a.test/", u"https://refused.test/"));
}

TEST_F(ProbeUrlsTest, AnEmptyListIsReachableOnlyWithASession) {
  EXPECT_TRUE(ProbeUrls(internet, {}));
  internet.failOpenSession = true;
  EXPECT_FALSE(ProbeUrls(internet, {}));
  internet.responses[u"https://a.test/"] = FakeResponse::Ok("a");
  const std::vector<std::u16string> urls = {u"https://a.test/"};
  EXPECT_FALSE(ProbeUrls(internet, urls));
  EXPECT_TRUE(internet.log().opened.empty());
}

}  // namespace
}  // namespace tessaly
