#include "tests/fakes/FakeInternet.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tessaly {
namespace {

class FakeRequest final : public HttpRequest {
 public:
  FakeRequest(std::shared_ptr<FakeInternet::Log> log, std::shared_ptr<const bool> sessionAlive,
              std::u16string url, FakeResponse response)
      : log_(std::move(log)),
        sessionAlive_(std::move(sessionAlive)),
        url_(std::move(url)),
        response_(std::move(response)) {
    ++log_->liveRequests;
    log_->mostLiveRequests = std::max(log_->mostLiveRequests, log_->liveRequests);
  }
  ~FakeRequest() override {
    --log_->liveRequests;
    if (!*sessionAlive_) {
      log_->requestOutlivedSession = true;
    }
  }
  FakeRequest(const FakeRequest&) = delete;
  FakeRequest& operator=(const FakeRequest&) = delete;

  std::uint32_t StatusCode() const override { return response_.status; }
  std::optional<std::string> ContentLengthHeader() const override {
    return response_.contentLength;
  }

  HttpReadResult Read(std::span<char> buffer) override {
    if (!*sessionAlive_) {
      return {};
    }
    std::size_t available = response_.body.size() - position_;
    if (response_.breakAfterBytes) {
      if (position_ >= *response_.breakAfterBytes) {
        return {};
      }
      available = std::min(available, *response_.breakAfterBytes - position_);
    }
    const std::size_t count = std::min({buffer.size(), available, response_.largestRead});
    std::memcpy(buffer.data(), response_.body.data() + position_, count);
    position_ += count;
    log_->bytesRead[url_] += count;
    return {.ok = true, .count = count};
  }

 private:
  std::shared_ptr<FakeInternet::Log> log_;
  std::shared_ptr<const bool> sessionAlive_;
  std::u16string url_;
  FakeResponse response_;
  std::size_t position_ = 0;
};

class FakeSession final : public InternetSession {
 public:
  FakeSession(std::shared_ptr<FakeInternet::Log> log,
              const std::map<std::u16string, FakeResponse>& responses)
      : log_(std::move(log)), responses_(responses) {
    ++log_->sessionsOpened;
    ++log_->liveSessions;
  }
  ~FakeSession() override {
    *alive_ = false;
    --log_->liveSessions;
  }
  FakeSession(const FakeSession&) = delete;
  FakeSession& operator=(const FakeSession&) = delete;

  void SetConnectTimeout(std::uint32_t milliseconds) override { connectTimeout_ = milliseconds; }

  std::unique_ptr<HttpRequest> OpenUrl(std::u16string_view url,
                                       const HttpOpenFlags& flags) override {
    log_->opened.push_back({std::u16string(url), flags, connectTimeout_});
    const auto response = responses_.find(std::u16string(url));
    if (response == responses_.end()) {
      return nullptr;
    }
    return std::make_unique<FakeRequest>(log_, alive_, std::u16string(url), response->second);
  }

 private:
  std::shared_ptr<FakeInternet::Log> log_;
  const std::map<std::u16string, FakeResponse>& responses_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::optional<std::uint32_t> connectTimeout_;
};

}  // namespace

FakeResponse FakeResponse::Ok(std::string body) { return WithStatus(200, std::move(body)); }

FakeResponse FakeResponse::WithStatus(std::uint32_t status, std::string body) {
  FakeResponse response{.status = status, .body = std::move(body)};
  response.contentLength = std::to_string(response.body.size());
  return response;
}

FakeResponse FakeResponse::Lying(std::string body, std::uint64_t claimedLength) {
  return FakeResponse{.contentLength = std::to_string(claimedLength), .body = std::move(body)};
}

FakeResponse FakeResponse::Chunked(std::string body) {
  return FakeResponse{.body = std::move(body)};
}

std::unique_ptr<InternetSession> FakeInternet::OpenSession() const {
  if (failOpenSession) {
    return nullptr;
  }
  return std::make_unique<FakeSession>(log_, responses);
}

}  // namespace tessaly
