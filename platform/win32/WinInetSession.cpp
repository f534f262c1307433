#include "platform/win32/WinInetSession.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <utility>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

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
  explicit WinInetRequest(unique_hinternet request) : request_(std::move(request)) {}

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

  unique_hinternet request_;
};

class WinInetSession final : public InternetSession {
 public:
  explicit WinInetSession(unique_hinternet session) : session_(std::move(session)) {}

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
    unique_hinternet request(InternetOpenUrlW(session_.get(), AsWide(terminated), nullptr, 0,
                                              WinInetFlags(flags), kRequestContext));
    if (request == nullptr) {
      return nullptr;
    }
    return std::make_unique<WinInetRequest>(std::move(request));
  }

 private:
  unique_hinternet session_;
};

}  // namespace

std::unique_ptr<InternetSession> WinInet::OpenSession() const {
  unique_hinternet session(
      InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (session == nullptr) {
    return nullptr;
  }
  return std::make_unique<WinInetSession>(std::move(session));
}

}  // namespace tessaly::win32
