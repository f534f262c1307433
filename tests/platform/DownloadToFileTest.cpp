#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <string>
#include <vector>

#include "platform/HttpDownload.h"
#include "tests/fakes/FakeFileStore.h"
#include "tests/fakes/FakeInternet.h"
#include "tests/fakes/TestPattern.h"

namespace tessaly {
namespace {

using testing::ElementsAre;

constexpr char16_t kUrl[] = u"http://download.test/wydown/ocx/setup.exe";
const std::u16string kTarget = u"C:\\Temp\\DownTmp\\setup.exe";

class DownloadToFileTest : public testing::Test {
 protected:
  std::uint64_t Download(FakeResponse response) {
    internet.responses[kUrl] = std::move(response);
    auto session = internet.OpenSession();
    return DownloadToFile(*session, kUrl, files, kTarget, &progress);
  }

  bool TargetExists() const { return files.Find(kTarget) != nullptr; }

  void TearDown() override {
    EXPECT_EQ(internet.log().liveRequests, 0) << "every request is closed";
    EXPECT_TRUE(files.state().openForWriting.empty()) << "the target is closed";
  }

  FakeInternet internet;
  FakeFileStore files;
  std::atomic<int> progress{-1};
};

TEST_F(DownloadToFileTest, WritesTheBodyAndReportsProgressBlockByBlock) {
  const std::string body = TestPattern(10000);
  std::vector<int> seen;
  files.afterWrite = [&] { seen.push_back(progress.load()); };
  FakeResponse response = FakeResponse::Ok(body);
  response.largestRead = kTransferBlockBytes;

  EXPECT_EQ(Download(response), 10000u);
  ASSERT_TRUE(TargetExists());
  EXPECT_EQ(*files.Find(kTarget), body);
  // After each block: written × 100 / length, rounded down; the store follows the write.
  EXPECT_THAT(seen, ElementsAre(0, 40, 81));
  EXPECT_EQ(progress.load(), 100);
  ASSERT_EQ(internet.log().opened.size(), 1u);
  EXPECT_EQ(internet.log().opened[0].flags, DownloadFlagsFor(kUrl));
  EXPECT_EQ(internet.log().opened[0].connectTimeout, std::nullopt) << "no time-out of its own";
}

TEST_F(DownloadToFileTest, AnExistingFileIsReplacedWhole) {
  files.Put(kTarget, std::string(50000, 'o'));
  EXPECT_EQ(Download(FakeResponse::Ok("new")), 3u);
  EXPECT_EQ(*files.Find(kTarget), "new");
}

TEST_F(DownloadToFileTest, AFileThatCannotBeCreatedMeansNoRequestAtAll) {
  files.uncreatable.insert(kTarget);
  EXPECT_EQ(Download(FakeResponse::Ok("body")), 0u);
  EXPECT_TRUE(internet.log().opened.empty());
  EXPECT_EQ(progress.load(), -1) << "progress untouched";

  auto session = internet.OpenSession();
  EXPECT_EQ(DownloadToFile(*session, kUrl, files, u"", &progress), 0u) << "no path, no file";
  EXPECT_TRUE(internet.log().opened.empty());
}

TEST_F(DownloadToFileTest, ARefusedConnectionLeavesNoFile) {
  files.Put(kTarget, "an older copy");
  auto session = internet.OpenSession();
  EXPECT_EQ(DownloadToFile(*session, u"http://nobody.test/setup.exe", files, kTarget, &progress),
            0u);
  EXPECT_FALSE(TargetExists());
  EXPECT_EQ(progress.load(), -1) << "progress starts only once the request is open";
}

TEST_F(DownloadToFileTest, FailedTransfersDeleteTheFile) {
  const std::string body = TestPattern(9000);
  FakeResponse broken = FakeResponse::Ok(body);
  broken.breakAfterBytes = 5000;
  FakeResponse brokenWithoutLength = FakeResponse::Chunked(body);
  brokenWithoutLength.breakAfterBytes = 5000;

  const struct {
    const char* what;
    FakeResponse response;
  } cases[] = {
      {"404 with a body and its length", FakeResponse::WithStatus(404, "<html>gone</html>")},
      {"404 without a length", FakeResponse{.status = 404, .body = "<html>gone</html>"}},
      {"a length larger than the body", FakeResponse::Lying(body, body.size() + 100)},
      {"a length smaller than the body", FakeResponse::Lying(body, 100)},
      {"a connection that breaks mid-body", broken},
      {"a chunked body that breaks", brokenWithoutLength},
      {"a length that is no number", FakeResponse{.contentLength = "9000 bytes", .body = body}},
  };
  for (const auto& [what, response] : cases) {
    progress = -1;
    EXPECT_EQ(Download(response), 0u) << what;
    EXPECT_FALSE(TargetExists()) << what;
    EXPECT_NE(progress.load(), 100) << what;
    EXPECT_NE(progress.load(), -1) << what << ": the request was open";
  }
}

TEST_F(DownloadToFileTest, ADiskThatFillsUpHalfWayLeavesNoFile) {
  files.diskCapacity = 6000;
  EXPECT_EQ(Download(FakeResponse::Ok(TestPattern(9000))), 0u);
  EXPECT_FALSE(TargetExists());
  EXPECT_EQ(files.state().deletions, 1) << "deleted after closing, not left behind open";
}

TEST_F(DownloadToFileTest, WithoutALengthTheFileStaysButTheAnswerIsZero) {
  const std::string body = TestPattern(12345);
  EXPECT_EQ(Download(FakeResponse::Chunked(body)), 0u);
  ASSERT_TRUE(TargetExists());
  EXPECT_EQ(*files.Find(kTarget), body);
  EXPECT_EQ(progress.load(), 0) << "no length, no progress";
}

TEST_F(DownloadToFileTest, WorksWithoutAProgressValue) {
  internet.responses[kUrl] = FakeResponse::Ok("abc");
  auto session = internet.OpenSession();
  EXPECT_EQ(DownloadToFile(*session, kUrl, files, kTarget), 3u);
  EXPECT_EQ(*files.Find(kTarget), "abc");
}

TEST(DownloadProgressTest, StaysWithinZeroToHundredForAnyLength) {
  constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
  EXPECT_EQ(DownloadProgressPercent(0, 10), 0);
  EXPECT_EQ(DownloadProgressPercent(9, 10), 90);
  EXPECT_EQ(DownloadProgressPercent(10, 10), 100);
  EXPECT_EQ(DownloadProgressPercent(1, 3), 33);
  // Where written × 100 no longer fits 64 bits.
  EXPECT_EQ(DownloadProgressPercent(kMax / 2, kMax), 49);
  EXPECT_EQ(DownloadProgressPercent(kMax - 1, kMax), 99) << "just below the length is not 100";
  EXPECT_EQ(DownloadProgressPercent(std::uint64_t{1} << 62, std::uint64_t{1} << 63), 50);
  EXPECT_EQ(DownloadProgressPercent(kMax, kMax), 100);
  EXPECT_EQ(DownloadProgressPercent(11, 10), 100) << "never above 100";
}

}  // namespace
}  // namespace tessaly
