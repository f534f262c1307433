// The WinINet downloads against the local test server.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/HttpDownload.h"
#include "platform/win32/Win32FileAccess.h"
#include "platform/win32/WinInetSession.h"
#include "platform/win32/WideText.h"
#include "tests/win32/TestServer.h"

namespace tessaly::win32 {
namespace {

class WinInetDownloadTest : public TestServerTest {
 protected:
  void SetUp() override {
    TestServerTest::SetUp();
    if (IsSkipped()) {
      return;
    }
    session = internet.OpenSession();
    ASSERT_NE(session, nullptr);
  }

  void TearDown() override {
    for (const std::u16string& path : created) {
      DeleteFileW(AsWide(path));
    }
  }

  std::string Fetch(std::string_view path) { return DownloadToMemory(*session, Url(path)); }

  // A fresh target in the temporary folder, removed after the test.
  std::u16string Target() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    EXPECT_GT(length, 0u);
    std::u16string path(reinterpret_cast<const char16_t*>(folder), length);
    path += DecodeUtf8(Unique("tessaly-download") + ".bin");
    created.push_back(path);
    return path;
  }

  static bool Exists(const std::u16string& path) {
    return GetFileAttributesW(AsWide(path)) != INVALID_FILE_ATTRIBUTES;
  }

  static std::string Contents(const std::u16string& path) {
    std::string bytes;
    HANDLE file = CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      return "(cannot be opened)";
    }
    char block[4096];
    DWORD read = 0;
    while (ReadFile(file, block, sizeof(block), &read, nullptr) && read > 0) {
      bytes.append(block, read);
    }
    CloseHandle(file);
    return bytes;
  }

  int Hits(const std::string& token) { return std::stoi("0" + Fetch("/hits/" + token)); }

  WinInet internet;
  Win32FileAccess files;
  std::unique_ptr<InternetSession> session;
  std::vector<std::u16string> created;
};

TEST_F(WinInetDownloadTest, MemoryDownloadsKeepEveryByteAndRefuseWhatFails) {
  EXPECT_EQ(Fetch("/bytes/10000"), TestPattern(10000)) << "binary bytes unchanged, many blocks";
  EXPECT_EQ(Fetch("/bytes/0"), "");
  EXPECT_EQ(Fetch("/chunked/20000"), TestPattern(20000)) << "without a length the body is whole";
  EXPECT_EQ(Fetch("/missing"), "") << "404 with a body";
  EXPECT_EQ(Fetch("/short/10000"), "") << "a body shorter than its length";
  EXPECT_EQ(Fetch("/bad-length"), "") << "a length that is no number";
  EXPECT_FALSE(Fetch("/not-config").empty()) << "any 200 body is text for the caller";
}

TEST_F(WinInetDownloadTest, AnHttpsPrefixInCapitalsAsksForTls) {
  // The test server speaks plain HTTP only, so a TLS handshake with it fails: the same
  // address that answers over "http://" gives nothing once the prefix asks for TLS.
  const std::string address = Server().substr(std::string_view("http://").size()) + "/bytes/10";
  EXPECT_EQ(DownloadToMemory(*session, DecodeUtf8("http://" + address)), TestPattern(10));
  EXPECT_EQ(DownloadToMemory(*session, DecodeUtf8("HTTPS://" + address)), "");
}

TEST_F(WinInetDownloadTest, RequestsCarryTheAgentAndBypassTheCache) {
  EXPECT_EQ(Fetch("/echo/user-agent"), "Mozilla/5.0");
  // The server marks the counter cacheable for an hour; only a request that skips the cache
  // sees it move.
  const std::string first = Fetch("/counter");
  const std::string second = Fetch("/counter");
  ASSERT_FALSE(first.empty());
  EXPECT_NE(first, second);
}

TEST_F(WinInetDownloadTest, FileDownloadsCompleteWithProgressAtHundred) {
  const std::u16string target = Target();
  std::atomic<int> progress{-1};
  EXPECT_EQ(DownloadToFile(*session, Url("/bytes/70000"), files, target, &progress), 70000u);
  EXPECT_EQ(Contents(target), TestPattern(70000));
  EXPECT_EQ(progress.load(), 100);

  // Downloading again over the finished file replaces it whole.
  EXPECT_EQ(DownloadToFile(*session, Url("/bytes/5"), files, target, &progress), 5u);
  EXPECT_EQ(Contents(target), TestPattern(5));
}

TEST_F(WinInetDownloadTest, ProgressRisesWhileASlowBodyArrives) {
  const std::u16string target = Target();
  std::atomic<int> progress{-1};
  std::atomic<bool> done{false};
  std::vector<int> seen;
  std::thread watcher([&] {
    while (!done.load()) {
      const int value = progress.load();
      if (seen.empty() || seen.back() != value) {
        seen.push_back(value);
      }
      Sleep(1);
    }
  });
  const std::uint64_t length =
      DownloadToFile(*session, Url("/slow/262144"), files, target, &progress);
  done = true;
  watcher.join();
  EXPECT_EQ(length, 262144u);
  EXPECT_EQ(progress.load(), 100);
  int between = 0;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    if (i > 0 && seen[i - 1] >= 0) {
      EXPECT_GE(seen[i], seen[i - 1]) << "progress never goes back";
    }
    between += seen[i] > 0 && seen[i] < 100 ? 1 : 0;
  }
  EXPECT_GE(between, 2) << "the watcher saw the transfer under way";
}

// A failed download over an installed file: the file stays byte for byte, and nothing of
// the download is left beside it.
TEST_F(WinInetDownloadTest, FailedFileDownloadsLeaveTheInstalledFileByteForByte) {
  const std::string installed = TestPattern(30000);
  for (const char* path : {"/missing", "/short/10000", "/bad-length", "/chunked/9000", "/bytes/10"}) {
    SCOPED_TRACE(path);
    const std::u16string target = Target();
    created.push_back(DownloadStagingPath(target));
    ASSERT_EQ(DownloadToFile(*session, Url("/bytes/30000"), files, target), 30000u);
    // The complete download of "/bytes/10" meets the file in use, as a loaded control is.
    const bool inUse = std::string_view(path) == "/bytes/10";
    HANDLE user = inUse ? CreateFileW(AsWide(target), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                        : INVALID_HANDLE_VALUE;
    ASSERT_EQ(user != INVALID_HANDLE_VALUE, inUse);
    std::atomic<int> progress{-1};
    EXPECT_EQ(DownloadToFile(*session, Url(path), files, target, &progress), 0u);
    if (user != INVALID_HANDLE_VALUE) {
      CloseHandle(user);
    }
    EXPECT_EQ(Contents(target), installed);
    EXPECT_FALSE(Exists(DownloadStagingPath(target)));
  }
}

TEST_F(WinInetDownloadTest, ATargetThatCannotBeCreatedMeansNoRequest) {
  const std::string token = Unique("uncreatable");
  const std::u16string target = Target() + u"\\missing-folder\\file.bin";
  EXPECT_EQ(DownloadToFile(*session, Url("/probe/" + token), files, target), 0u);
  EXPECT_EQ(Hits(token), 0);
}

// A loopback port on which nothing listens: bound by the system's choice, then released.
unsigned short RefusingPort() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    return 0;
  }
  unsigned short port = 0;
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof(address);
  if (probe != INVALID_SOCKET &&
      bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  closesocket(probe);
  WSACleanup();
  return port;
}

TEST_F(WinInetDownloadTest, ProbesStopAtARefusedPort) {
  const unsigned short port = RefusingPort();
  ASSERT_NE(port, 0);
  const std::string first = Unique("probe-first");
  const std::string last = Unique("probe-last");
  const std::vector<std::u16string> urls = {
      Url("/probe/" + first),
      DecodeUtf8("http://127.0.0.1:" + std::to_string(port) + "/"),
      Url("/probe/" + last),
  };
  EXPECT_FALSE(ProbeUrls(internet, urls));
  EXPECT_EQ(Hits(first), 1);
  EXPECT_EQ(Hits(last), 0) << "nothing after the unreachable URL is tried";

  const std::vector<std::u16string> reachable = {Url("/probe/" + last), Url("/missing")};
  EXPECT_TRUE(ProbeUrls(internet, reachable)) << "an error page still answers";
  EXPECT_EQ(Hits(last), 1);
}

}  // namespace
}  // namespace tessaly::win32
