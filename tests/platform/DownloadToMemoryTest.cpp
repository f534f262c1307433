#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "platform/HttpDownload.h"
#include "tests/fakes/FakeInternet.h"
#include "tests/fakes/TestPattern.h"

namespace tessaly {
namespace {

constexpr char16_t kUrl[] = u"http://download.test/wydown/ocx/item_L.xml";

class DownloadToMemoryTest : public testing::Test {
 protected:
  std::string Download(FakeResponse response) {
    internet.responses[kUrl] = std::move(response);
    auto session = internet.OpenSession();
    return DownloadToMemory(*session, kUrl);
  }

  void TearDown() override {
    EXPECT_EQ(internet.log().liveRequests, 0) << "every request is closed";
    EXPECT_FALSE(internet.log().requestOutlivedSession);
  }

  FakeInternet internet;
};

TEST_F(DownloadToMemoryTest, ReturnsAWholeBodyOfManyBlocksWithTheDownloadFlagsAndTimeOut) {
  const std::string body = TestPattern(3 * kTransferBlockBytes + 17);
  EXPECT_EQ(Download(FakeResponse::Ok(body)), body);

  ASSERT_EQ(internet.log().opened.size(), 1u);
  const FakeInternet::OpenedRequest& request = internet.log().opened[0];
  EXPECT_EQ(request.url, kUrl);
  EXPECT_EQ(request.flags, (HttpOpenFlags{.reload = true, .noCacheWrite = true,
                                          .transferAscii = true, .secure = false}));
  EXPECT_EQ(request.connectTimeout, kConfigConnectTimeoutMs) << "set before the request opens";
}

TEST_F(DownloadToMemoryTest, AnswersWithoutALengthAreTakenWhole) {
  const std::string body = TestPattern(10000);
  EXPECT_EQ(Download(FakeResponse::Chunked(body)), body);
  EXPECT_EQ(Download(FakeResponse::Lying(body, 0)), body) << "a length of 0 announces nothing";
}

TEST_F(DownloadToMemoryTest, EveryFailureGivesAnEmptyResult) {
  const std::string body = TestPattern(5000);
  FakeResponse broken = FakeResponse::Ok(body);
  broken.breakAfterBytes = 4200;
  FakeResponse brokenWithoutLength = FakeResponse::Chunked(body);
  brokenWithoutLength.breakAfterBytes = 100;
  FakeResponse notHttp = FakeResponse::Ok(body);
  notHttp.status = 0;

  const struct {
    const char* what;
    FakeResponse response;
  } cases[] = {
      {"404 with a body and its length", FakeResponse::WithStatus(404, "<html>not here</html>")},
      {"500 without a length", FakeResponse{.status = 500, .body = "oops"}},
      {"an answer that is not HTTP", notHttp},
      {"a length larger than the body", FakeResponse::Lying(body, body.size() + 1)},
      {"a length smaller than the body", FakeResponse::Lying(body, body.size() - 1)},
      {"a connection that breaks mid-body", broken},
      {"a chunked body that breaks", brokenWithoutLength},
      {"a length with letters", FakeResponse{.contentLength = "5000abc", .body = body}},
      {"a negative length", FakeResponse{.contentLength = "-1", .body = body}},
      {"an empty length", FakeResponse{.contentLength = "", .body = body}},
  };
  for (const auto& [what, response] : cases) {
    EXPECT_EQ(Download(response), "") << what;
  }
}

TEST_F(DownloadToMemoryTest, RefusedConnectionsGiveAnEmptyResult) {
  auto session = internet.OpenSession();
  EXPECT_EQ(DownloadToMemory(*session, u"http://nobody.test/item.xml"), "");
  EXPECT_EQ(internet.log().opened.size(), 1u);
}

TEST_F(DownloadToMemoryTest, OversizedBodiesAreRefusedWithoutHoldingThem) {
  // Announced too large: nothing is read at all.
  EXPECT_EQ(Download(FakeResponse::Lying("x", kMaxDownloadToMemoryBytes + 1)), "");
  EXPECT_EQ(internet.log().bytesRead.count(kUrl), 0u);

  // Unannounced and endless in effect: reading stops just past the bound.
  const std::string huge(kMaxDownloadToMemoryBytes + 3 * kTransferBlockBytes, 'x');
  FakeResponse chunked = FakeResponse::Chunked(huge);
  chunked.largestRead = kTransferBlockBytes;
  EXPECT_EQ(Download(chunked), "");
  EXPECT_LE(internet.log().bytesRead.at(kUrl), kMaxDownloadToMemoryBytes + kTransferBlockBytes);
}

TEST_F(DownloadToMemoryTest, ABodyLongerThanAnnouncedStopsBeingRead) {
  FakeResponse liar = FakeResponse::Lying(std::string(100 * kTransferBlockBytes, 'y'), 10);
  liar.largestRead = kTransferBlockBytes;
  EXPECT_EQ(Download(liar), "");
  EXPECT_EQ(internet.log().bytesRead.at(kUrl), kTransferBlockBytes);
}

TEST(DownloadFlagsTest, TlsIsAskedForByThePrefixInAnyLetterCase) {
  const struct {
    std::u16string_view url;
    bool secure;
  } cases[] = {
      {u"https://bank.test/", true},   {u"HTTPS://bank.test/", true},
      {u"hTtPs://bank.test/", true},   {u"https://", true},
      {u"http://bank.test/", false},   {u"https:/bank.test/", false},
      {u"https", false},               {u" https://bank.test/", false},
      {u"xhttps://bank.test/", false}, {u"\uFF48ttps://bank.test/", false},
  };
  for (const auto& [url, secure] : cases) {
    const HttpOpenFlags flags = DownloadFlagsFor(url);
    EXPECT_EQ(flags.secure, secure) << std::string(url.begin(), url.end());
    EXPECT_TRUE(flags.reload && flags.noCacheWrite && flags.transferAscii);
  }
}

TEST(ContentLengthTest, OnlyDecimalNumbersThatFitAreLengths) {
  constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
  EXPECT_EQ(ParseContentLength("0"), 0u);
  EXPECT_EQ(ParseContentLength("4096"), 4096u);
  EXPECT_EQ(ParseContentLength(" \t17 "), 17u);
  EXPECT_EQ(ParseContentLength("007"), 7u);
  EXPECT_EQ(ParseContentLength("4294967296"), 4294967296u) << "past 32 bits";
  EXPECT_EQ(ParseContentLength("18446744073709551615"), kMax);

  for (const char* text : {"", "  ", "18446744073709551616", "99999999999999999999", "+5", "-5",
                           "0x10", "1 2", "12,5", "1e3", "abc"}) {
    EXPECT_EQ(ParseContentLength(text), std::nullopt) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace tessaly
