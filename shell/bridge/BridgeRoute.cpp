#include "shell/bridge/BridgeRoute.h"

#include "diagnosis/AsciiCaselessFinder.h"

namespace tessaly {
namespace {

bool SameBytesInConstantTime(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  }
  return difference == 0;
}

// Resource names are plain: letters, digits, '.', '_' and '-' between slashes, no empty
// segment and no "." or ".." (the resource API knows no folders, but nothing odd is let
// through to it either).
bool IsPlainRelativeAddress(std::string_view address) {
  if (address.empty() || address.front() == '/' || address.back() == '/') {
    return false;
  }
  std::size_t segmentStart = 0;
  for (std::size_t i = 0; i <= address.size(); ++i) {
    if (i == address.size() || address[i] == '/') {
      const std::string_view segment = address.substr(segmentStart, i - segmentStart);
      if (segment.empty() || segment == "." || segment == "..") {
        return false;
      }
      segmentStart = i + 1;
      continue;
    }
    const char c = address[i];
    const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       c == '.' || c == '_' || c == '-';
    if (!plain) {
      return false;
    }
  }
  return true;
}

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return upper;
}

BridgeRoute Route(BridgeRoute::Kind kind) { return BridgeRoute{kind, {}, {}}; }

}  // namespace

BridgeRoute RouteBridgeRequest(const ReceivedHttpRequest& request, std::string_view token,
                               std::uint16_t port) {
  const std::string portText = std::to_string(port);
  if (request.host != "127.0.0.1:" + portText && request.host != "localhost:" + portText) {
    return Route(BridgeRoute::Kind::Refused);
  }
  std::string_view path = request.target;
  const std::size_t query = path.find('?');
  if (query != std::string_view::npos) {
    path = path.substr(0, query);
  }
  // "/<token>/<rest>"
  if (token.empty() || path.size() < token.size() + 2 || path[token.size() + 1] != '/' ||
      !SameBytesInConstantTime(path.substr(1, token.size()), token)) {
    return Route(BridgeRoute::Kind::Refused);
  }
  const std::string_view rest = path.substr(token.size() + 2);
  const bool get = request.method == "GET";
  if (rest.empty()) {
    return Route(get ? BridgeRoute::Kind::Page : BridgeRoute::Kind::Refused);
  }
  if (!IsPlainRelativeAddress(rest)) {
    return Route(BridgeRoute::Kind::Refused);
  }
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) {
    struct Endpoint {
      std::string_view name;
      bool byGet;
      BridgeRoute::Kind kind;
    };
    static constexpr Endpoint kEndpoints[] = {
        {kBridgeScriptName, true, BridgeRoute::Kind::Script},
        {"call", false, BridgeRoute::Kind::Call},
        {"events", false, BridgeRoute::Kind::Events},
        {"loaded", false, BridgeRoute::Kind::Loaded},
    };
    for (const Endpoint& endpoint : kEndpoints) {
      if (rest == endpoint.name) {
        return Route(endpoint.byGet == get ? endpoint.kind : BridgeRoute::Kind::Refused);
      }
    }
    return Route(get ? BridgeRoute::Kind::NotFound : BridgeRoute::Kind::Refused);
  }
  if (!get) {
    return Route(BridgeRoute::Kind::Refused);
  }
  // The page's address scheme: the first folder is the type, the rest the name.
  return BridgeRoute{BridgeRoute::Kind::Asset, UpperAscii(rest.substr(0, slash)),
                     UpperAscii(rest.substr(slash + 1))};
}

std::string PageWithBridgeScript(std::string_view page) {
  const std::string element =
      "<script type=\"text/javascript\" src=\"" + std::string(kBridgeScriptName) + "\"></script>";
  const std::size_t head = AsciiCaselessFinder("<head").Find(page, 0);
  const std::size_t close = head == std::string_view::npos ? head : page.find('>', head);
  const std::size_t insertAt = close == std::string_view::npos ? 0 : close + 1;
  std::string result(page);
  result.insert(insertAt, element);
  return result;
}

}  // namespace tessaly
