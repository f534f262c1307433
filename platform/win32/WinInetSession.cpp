#include "platform/win32/WinInetSession.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <utility>

#include "platform/win32/WideText.h"

namespace tessaly::win32 {

// Every handle the layer has open, so that CloseAll can close them from another thread.
// A handle is closed exactly once: by its owner, or by CloseAll, whichever comes first.
class OpenInternetHandles {
 public:
  // Takes over `handle`; false (and the handle closed) once everything has been closed.
  bool Adopt(HINTERNET handle) {
    const std::lock_guard<std::mutex> guard(lock_);
    if (closed_) {
      InternetCloseHandle(handle);
      return false;
    }
    open_.insert(handle);
    return true;
  }
  void Close(HINTERNET handle) {
    const std::lock_guard<std::mutex> guard(lock_);
    if (open_.erase(handle) != 0) {
      InternetCloseHandle(handle);
    }
  }
  // Closing a handle cancels a call blocked on it in another thread, which then fails.
  void CloseAll() {
    const std::lock_guard<std::mutex> guard(lock_);
    closed_ = true;
    for (const HINTERNET handle : open_) {
      InternetCloseHandle(handle);
    }
    open_.clear();
  }
  bool Closed() {
    const std::lock_guard<std::mutex> guard(lock_);
    return closed_;
  }

 private:
  std::mutex lock_;
  bool closed_ = false;
  std::set<HINTERNET> open_;
};

namespace {

// One handle of the layer, closed when the owner goes unless CloseAll came first.
class OwnedInternetHandle {
 public:
  OwnedInternetHandle(std::shared_ptr<OpenInternetHandles> registry, HINTERNET handle)
      : registry_(std::move(registry)), handle_(handle) {}
  ~OwnedInternetHandle() { registry_->Close(handle_); }
  OwnedInternetHandle(const OwnedInternetHandle&) = delete;
  OwnedInternetHandle& operator=(const OwnedInternetHandle&) = delete;
  HINTERNET get() const { return handle_; }

 private:
  std::shared_ptr<OpenInternetHandles> registry_;
  HINTERNET handle_;
};

constexpr wchar_t kUserAgent[] = L"Mozilla/5.0";
constexpr DWORD_PTR kRequestContext = 1;

DWORD WinInetFlags(const HttpOpenFlags& flags) {
  DWORD bits = 0;
  if (flags.reload) {
    bits |= INTERNET_FLAG_RELOAD;
  }
  if (flags.noCacheWrite) {
    bits |= INTERNET_FLAG_NO_CACHE_WRITE;
  }
  if (flags.transferAscii) {
    bits |= INTERNET_FLAG_TRANSFER_ASCII;
  }
  if (flags.secure) {
    bits |= INTERNET_FLAG_SECURE;
  }
  return bits;
}

class WinInetRequest final : public HttpRequest {
 public:
  WinInetRequest(std::shared_ptr<OpenInternetHandles> registry, HINTERNET request)
      : request_(std::move(registry), request) {}

  std::uint32_t StatusCode() const override {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &size, nullptr)) {
      return 0;
    }
    return status;
  }

  std::optional<std::string> ContentLengthHeader() const override {
    // Asked for as text rather than as a number, so that a value WinINet would not parse
    // (or would cut to 32 bits) is judged by the caller instead of turning into 0.
    std::u16string text(32, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
      DWORD size = static_cast<DWORD>(text.size() * sizeof(char16_t));
      if (HttpQueryInfoW(request_.get(), HTTP_QUERY_CONTENT_LENGTH, AsWide(text), &size,
                         nullptr)) {
        text.resize(size / sizeof(char16_t));
        return Narrow(text);
      }
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return std::nullopt;
      }
      text.assign(size / sizeof(char16_t) + 1, u'\0');
    }
    return std::nullopt;
  }

  HttpReadResult Read(std::span<char> buffer) override {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), MAXDWORD));
    DWORD read = 0;
    if (!InternetReadFile(request_.get(), buffer.data(), wanted, &read)) {
      return {};
    }
    return {.ok = true, .count = read};
  }

 private:
  // A length is ASCII digits; anything else becomes "?", which no caller reads as a number.
  static std::string Narrow(std::u16string_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (const char16_t unit : text) {
      narrow.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return narrow;
  }

  OwnedInternetHandle request_;
};

class WinInetSession final : public InternetSession {
 public:
  WinInetSession(std::shared_ptr<OpenInternetHandles> registry, HINTERNET session)
      : registry_(std::move(registry)), session_(registry_, session) {}

  void SetConnectTimeout(std::uint32_t milliseconds) override {
    DWORD value = milliseconds;
    InternetSetOptionW(session_.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &value, sizeof(value));
  }

  std::unique_ptr<HttpRequest> OpenUrl(std::u16string_view url,
                                       const HttpOpenFlags& flags) override {
    // The layer reads the URL up to its first zero; one with a zero inside is not the URL
    // the caller asked for.
    if (url.find(u'\0') != std::u16string_view::npos) {
      return nullptr;
    }
    const std::u16string terminated(url);
    const HINTERNET request = InternetOpenUrlW(session_.get(), AsWide(terminated), nullptr, 0,
                                               WinInetFlags(flags), kRequestContext);
    if (request == nullptr || !registry_->Adopt(request)) {
      return nullptr;
    }
    return std::make_unique<WinInetRequest>(registry_, request);
  }

 private:
  std::shared_ptr<OpenInternetHandles> registry_;
  OwnedInternetHandle session_;
};

}  // namespace

WinInet::WinInet() : open_(std::make_shared<OpenInternetHandles>()) {}

std::unique_ptr<InternetSession> WinInet::OpenSession() const {
  if (open_->Closed()) {
    return nullptr;
  }
  const HINTERNET session =
      InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (session == nullptr || !open_->Adopt(session)) {
    return nullptr;
  }
  return std::make_unique<WinInetSession>(open_, session);
}

void WinInet::CloseAll() { open_->CloseAll(); }

}  // namespace tessaly::win32
