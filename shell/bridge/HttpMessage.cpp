#include "shell/bridge/HttpMessage.h"

#include <charconv>
#include <optional>
#include <utility>

#include "diagnosis/AsciiCaselessFinder.h"

namespace tessaly {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsTokenCharacter(char c) {
  const auto u = static_cast<unsigned char>(c);
  if ((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) {
    return true;
  }
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

// Header values and the target: visible ASCII, blanks, tabs, and bytes of UTF-8 (which no
// well-behaved browser sends unescaped, but which carry no control meaning either).
bool IsFieldCharacter(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u == '\t' || (u >= 0x20 && u != 0x7F);
}

bool SameAsciiIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) {
      return false;
    }
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

bool ParseRequestLine(std::string_view line, ReceivedHttpRequest& request) {
  const std::size_t first = line.find(' ');
  const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (second == std::string_view::npos || line.find(' ', second + 1) != std::string_view::npos) {
    return false;
  }
  const std::string_view method = line.substr(0, first);
  const std::string_view target = line.substr(first + 1, second - first - 1);
  const std::string_view version = line.substr(second + 1);
  if ((method != "GET" && method != "POST") || target.empty() || target.front() != '/' ||
      (version != "HTTP/1.1" && version != "HTTP/1.0")) {
    return false;
  }
  for (char c : target) {
    if (!IsFieldCharacter(c) || c == ' ' || c == '\t') {
      return false;
    }
  }
  request.method = method;
  request.target = target;
  return true;
}

std::optional<std::size_t> DecimalLength(std::string_view text) {
  std::size_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

HttpParse ParseHttpRequest(std::string_view received, ReceivedHttpRequest& request,
                           const HttpLimits& limits) {
  const std::size_t headerEnd = received.find("\r\n\r\n");
  if (headerEnd == std::string_view::npos) {
    return received.size() >= limits.headerBytes ? HttpParse::TooLarge : HttpParse::Incomplete;
  }
  const std::size_t bodyStart = headerEnd + 4;
  if (bodyStart > limits.headerBytes) {
    return HttpParse::TooLarge;
  }
  ReceivedHttpRequest parsed;
  std::string_view head = received.substr(0, headerEnd + kLineEnd.size());
  std::size_t lineEnd = head.find(kLineEnd);
  if (!ParseRequestLine(head.substr(0, lineEnd), parsed)) {
    return HttpParse::Malformed;
  }
  head.remove_prefix(lineEnd + kLineEnd.size());
  bool hasHost = false;
  std::optional<std::size_t> contentLength;
  while (!head.empty()) {
    lineEnd = head.find(kLineEnd);
    const std::string_view line = head.substr(0, lineEnd);
    head.remove_prefix(lineEnd + kLineEnd.size());
    const std::size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos) {
      return HttpParse::Malformed;  // nameless, or a folded continuation of the line before
    }
    const std::string_view name = line.substr(0, colon);
    const std::string_view rawValue = line.substr(colon + 1);
    for (char c : name) {
      if (!IsTokenCharacter(c)) {
        return HttpParse::Malformed;
      }
    }
    for (char c : rawValue) {
      if (!IsFieldCharacter(c)) {
        return HttpParse::Malformed;
      }
    }
    const std::string_view value = TrimBlanks(rawValue);
    if (SameAsciiIgnoringCase(name, "Host")) {
      if (hasHost) {
        return HttpParse::Malformed;
      }
      hasHost = true;
      parsed.host = value;
    } else if (SameAsciiIgnoringCase(name, "Content-Length")) {
      const std::optional<std::size_t> length = DecimalLength(value);
      if (contentLength || !length) {
        return HttpParse::Malformed;
      }
      contentLength = length;
    } else if (SameAsciiIgnoringCase(name, "Transfer-Encoding")) {
      return HttpParse::Malformed;
    }
  }
  if (!hasHost) {
    return HttpParse::Malformed;
  }
  const std::size_t bodyLength = contentLength.value_or(0);
  if (parsed.method == "GET" && bodyLength != 0) {
    return HttpParse::Malformed;
  }
  if (bodyLength > limits.bodyBytes) {
    return HttpParse::TooLarge;
  }
  if (received.size() - bodyStart < bodyLength) {
    return HttpParse::Incomplete;
  }
  parsed.body = received.substr(bodyStart, bodyLength);
  request = std::move(parsed);
  return HttpParse::Complete;
}

std::string HttpResponseText(int status, std::string_view contentType, std::string_view body) {
  std::string_view reason = "OK";
  if (status == 400) {
    reason = "Bad Request";
  } else if (status == 404) {
    reason = "Not Found";
  }
  std::string text = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
  if (!contentType.empty()) {
    text += "Content-Type: " + std::string(contentType) + "\r\n";
  }
  text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  text += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n";
  text += body;
  return text;
}

}  // namespace tessaly
