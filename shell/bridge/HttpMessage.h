#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly {

// One HTTP/1.x request as the development bridge accepts it. The bridge's only client is
// a browser on the same machine, but the socket is reachable by every local process, so
// the bytes are untrusted: the parser bounds them, takes only what a plain GET or POST
// needs, and calls anything else malformed rather than guessing what a client meant.
struct ReceivedHttpRequest {
  std::string method;  // "GET" or "POST"
  std::string target;  // the origin form, "/..." including any query
  std::string host;    // the one Host header, as sent
  std::string body;
};

struct HttpLimits {
  std::size_t headerBytes = 8 * 1024;  // request line and headers, blank line included
  std::size_t bodyBytes = 64 * 1024;
};

enum class HttpParse {
  Incomplete,  // more bytes may make a request
  Complete,
  Malformed,   // never a request, whatever follows
  TooLarge,    // beyond the limits
};

// Parses the start of `received`. Complete fills `request`; bytes after the body are not
// looked at (the bridge answers one request per connection). Refused as malformed: other
// methods than GET and POST, a target not starting with "/", a version other than
// HTTP/1.0 or 1.1, lines not ended by CR LF, control characters, folded or nameless
// headers, a missing or repeated Host, a repeated or non-decimal Content-Length, any
// Transfer-Encoding, and a GET with a body.
HttpParse ParseHttpRequest(std::string_view received, ReceivedHttpRequest& request,
                           const HttpLimits& limits = {});

// A whole response that closes the connection after it: status line, Content-Type,
// Content-Length, no caching, no content sniffing.
std::string HttpResponseText(int status, std::string_view contentType, std::string_view body);

}  // namespace tessaly
