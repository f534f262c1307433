#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/InternetSession.h"

namespace tessaly {

// What the fake server answers for one URL. The defaults are an honest empty 200 answer.
struct FakeResponse {
  std::uint32_t status = 200;
  // The Content-Length header as sent; nothing for an answer without one (chunked).
  std::optional<std::string> contentLength{};
  std::string body{};
  // The connection breaks after this many bytes of the body: the next read fails.
  std::optional<std::size_t> breakAfterBytes{};
  // The layer hands out at most this many bytes per read, as networks deliver in pieces.
  std::size_t largestRead = 1500;

  // 200 with the body and its true length.
  static FakeResponse Ok(std::string body);
  // `status` with the body and its true length.
  static FakeResponse WithStatus(std::uint32_t status, std::string body);
  // 200 whose Content-Length claims `claimedLength` whatever the body holds.
  static FakeResponse Lying(std::string body, std::uint64_t claimedLength);
  // 200 without Content-Length, as a chunked answer arrives.
  static FakeResponse Chunked(std::string body);
};

// A scripted internet layer. URLs that have no response refuse the connection (the request
// cannot be opened). Everything the code under test does is recorded, and requests that
// outlive their session are caught.
class FakeInternet final : public Internet {
 public:
  struct OpenedRequest {
    std::u16string url;
    HttpOpenFlags flags;
    std::optional<std::uint32_t> connectTimeout;  // the session's time-out at that moment
  };
  struct Log {
    int sessionsOpened = 0;
    int liveSessions = 0;
    int liveRequests = 0;
    int mostLiveRequests = 0;
    bool requestOutlivedSession = false;
    std::vector<OpenedRequest> opened;  // every attempt, refused ones included
    std::map<std::u16string, std::size_t> bytesRead;  // body bytes handed out per URL
  };

  std::map<std::u16string, FakeResponse> responses;
  bool failOpenSession = false;

  std::unique_ptr<InternetSession> OpenSession() const override;
  const Log& log() const { return *log_; }

 private:
  std::shared_ptr<Log> log_ = std::make_shared<Log>();
};

}  // namespace tessaly
