#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessaly {

// How a request is opened; each flag stands for the internet layer's flag of the same
// meaning.
struct HttpOpenFlags {
  bool reload = false;         // fetch from the server, never from the local cache
  bool noCacheWrite = false;   // leave the local cache as it is
  bool transferAscii = false;  // no effect on HTTP; kept because the downloads ask for it
  bool secure = false;         // TLS

  bool operator==(const HttpOpenFlags&) const = default;
};

// One read of a body. `ok` with a count of 0 means the body has ended; a failed read (the
// connection broke, the layer gave up) is not ok.
struct HttpReadResult {
  bool ok = false;
  std::size_t count = 0;
};

// An open GET request whose status line and headers have arrived. Closed when the object
// goes away, which must happen before its session goes away.
class HttpRequest {
 public:
  virtual ~HttpRequest() = default;
  // The numeric status code; 0 when the answer has none (not an HTTP answer).
  virtual std::uint32_t StatusCode() const = 0;
  // The Content-Length header's value as the server sent it; nothing when it sent none.
  // Judging the text is the caller's business: a server may send anything.
  virtual std::optional<std::string> ContentLengthHeader() const = 0;
  // Reads the next bytes of the body into `buffer`, at most its size.
  virtual HttpReadResult Read(std::span<char> buffer) = 0;
};

// An internet session that one task owns (configuration fetch, a component download, the
// update, the certificate files). Closed when the object goes away.
class InternetSession {
 public:
  virtual ~InternetSession() = default;
  // The time allowed for connecting, for every request opened afterwards.
  virtual void SetConnectTimeout(std::uint32_t milliseconds) = 0;
  // Opens a GET request without extra headers and waits for the answer's headers. nullptr
  // when it cannot be opened: no connection, refused, a malformed URL, a failed TLS
  // handshake.
  virtual std::unique_ptr<HttpRequest> OpenUrl(std::u16string_view url,
                                               const HttpOpenFlags& flags) = 0;
};

// The platform's internet layer: where sessions come from.
class Internet {
 public:
  virtual ~Internet() = default;
  // A session with the user agent "Mozilla/5.0" and the system's preconfigured proxy
  // settings; nullptr when the layer cannot open one.
  virtual std::unique_ptr<InternetSession> OpenSession() const = 0;
};

}  // namespace tessaly
