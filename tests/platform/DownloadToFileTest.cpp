#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
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

TEST_F(DownloadToFileTest, AnExistingFileIsReplacedWholeThroughAStagingFile) {
  files.Put(kTarget, std::string(50000, 'o'));
  std::vector<std::u16string> checked;
  internet.responses[kUrl] = FakeResponse::Ok("new");
  auto session = internet.OpenSession();
  EXPECT_EQ(DownloadToFile(*session, kUrl, files, kTarget, &progress,
                           [&](const std::u16string& staged) {
                             checked.push_back(staged);
                             EXPECT_EQ(*files.Find(staged), "new") << "complete and closed";
                             EXPECT_EQ(*files.Find(kTarget), std::string(50000, 'o'));
                             return true;
                           }),
            3u);
  EXPECT_EQ(*files.Find(kTarget), "new");
  EXPECT_EQ(checked, std::vector<std::u16string>{DownloadStagingPath(kTarget)});
  EXPECT_EQ(DownloadStagingPath(kTarget), u"C:\\Temp\\DownTmp\\setup.exe.download");
  EXPECT_EQ(files.Find(DownloadStagingPath(kTarget)), nullptr);
}

TEST_F(DownloadToFileTest, AStagingFileThatCannotBeCreatedMeansNoRequestAtAll) {
  files.uncreatable.insert(DownloadStagingPath(kTarget));
  EXPECT_EQ(Download(FakeResponse::Ok("body")), 0u);
  EXPECT_TRUE(internet.log().opened.empty());
  EXPECT_EQ(progress.load(), -1) << "progress untouched";

  auto session = internet.OpenSession();
  EXPECT_EQ(DownloadToFile(*session, kUrl, files, u"", &progress), 0u) << "no path, no file";
  EXPECT_TRUE(internet.log().opened.empty());
}

// A bank server outage must never cost the customer a working file: whatever goes wrong,
// the installed file stays byte for byte and no staging file is left behind.
TEST_F(DownloadToFileTest, FailuresLeaveTheInstalledFileAsItWas) {
  const std::string installed = "the working control";
  const std::string body = TestPattern(9000);
  FakeResponse broken = FakeResponse::Ok(body);
  broken.breakAfterBytes = 5000;
  FakeResponse brokenWithoutLength = FakeResponse::Chunked(body);
  brokenWithoutLength.breakAfterBytes = 5000;

  const struct {
    const char* what;
    FakeResponse response;
    bool requestOpens = true;
    std::function<void(FakeFileStore&)> arrange = [](FakeFileStore&) {};
    DownloadCheck check = {};
  } cases[] = {
      {"a refused connection", FakeResponse{}, false},
      {"404 with a body and its length", FakeResponse::WithStatus(404, "<html>gone</html>")},
      {"404 without a length", FakeResponse{.status = 404, .body = "<html>gone</html>"}},
      {"a length larger than the body", FakeResponse::Lying(body, body.size() + 100)},
      {"a length smaller than the body", FakeResponse::Lying(body, 100)},
      {"a connection that breaks mid-body", broken},
      {"a chunked body that breaks", brokenWithoutLength},
      {"a whole body without a length: nothing tells it from a cut one",
       FakeResponse::Chunked(body)},
      {"a length that is no number", FakeResponse{.contentLength = "9000 bytes", .body = body}},
      {"a disk that fills up half-way", FakeResponse::Ok(body), true,
       [](FakeFileStore& store) { store.diskCapacity = 6000; }},
      {"a complete file the caller refuses (its digest)", FakeResponse::Ok(body), true,
       [](FakeFileStore&) {}, [](const std::u16string&) { return false; }},
      {"an installed file in use", FakeResponse::Ok(body), true,
       [](FakeFileStore& store) { store.inUse.insert(kTarget); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileStore store;
    store.Put(kTarget, installed);
    c.arrange(store);
    progress = -1;
    const std::u16string url = c.requestOpens ? kUrl : u"http://nobody.test/setup.exe";
    internet.responses[kUrl] = c.response;
    auto session = internet.OpenSession();
    EXPECT_EQ(DownloadToFile(*session, url, store, kTarget, &progress, c.check), 0u);
    ASSERT_NE(store.Find(kTarget), nullptr);
    EXPECT_EQ(*store.Find(kTarget), installed);
    EXPECT_EQ(store.state().files.size(), 1u) << "the staging file is gone";
    EXPECT_TRUE(store.state().openForWriting.empty());
    EXPECT_EQ(progress.load() != -1, c.requestOpens) << "progress starts once the request is open";
  }
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
