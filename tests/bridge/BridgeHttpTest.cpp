#include <gtest/gtest.h>

#include <string>

#include "shell/bridge/BridgeRoute.h"
#include "shell/bridge/HttpMessage.h"

namespace tessaly {
namespace {

constexpr const char* kToken = "0123456789abcdef0123456789abcdef";
constexpr std::uint16_t kPort = 41234;

TEST(BridgeHttpTest, ParsesOnlyPlainBoundedRequests) {
  struct Case {
    const char* label;
    std::string bytes;
    HttpParse expected;
  };
  const std::string big(9000, 'x');
  const Case cases[] = {
      {"get", "GET /t/ HTTP/1.1\r\nHost: 127.0.0.1:1\r\n\r\n", HttpParse::Complete},
      {"post with body and trailing bytes",
       "POST /t/call HTTP/1.1\r\nhost:127.0.0.1:1\r\ncontent-length: 3\r\n\r\nm=xGARBAGE",
       HttpParse::Complete},
      {"headers not ended yet", "GET / HTTP/1.1\r\nHost: a\r\n", HttpParse::Incomplete},
      {"body not all there", "POST / HTTP/1.1\r\nHost: a\r\nContent-Length: 5\r\n\r\nab",
       HttpParse::Incomplete},
      {"nothing yet", "", HttpParse::Incomplete},
      {"other method", "PUT / HTTP/1.1\r\nHost: a\r\n\r\n", HttpParse::Malformed},
      {"absolute target", "GET http://a/ HTTP/1.1\r\nHost: a\r\n\r\n", HttpParse::Malformed},
      {"old version", "GET / HTTP/0.9\r\nHost: a\r\n\r\n", HttpParse::Malformed},
      {"extra blank in line", "GET / x HTTP/1.1\r\nHost: a\r\n\r\n", HttpParse::Malformed},
      {"bare LF lines", "GET / HTTP/1.1\nHost: a\n\n", HttpParse::Incomplete},
      {"no host", "GET / HTTP/1.1\r\nAccept: */*\r\n\r\n", HttpParse::Malformed},
      {"two hosts", "GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", HttpParse::Malformed},
      {"folded header", "GET / HTTP/1.1\r\nHost: a\r\n x\r\n\r\n", HttpParse::Malformed},
      {"nameless header", "GET / HTTP/1.1\r\nHost: a\r\n: x\r\n\r\n", HttpParse::Malformed},
      {"control character", std::string("GET / HTTP/1.1\r\nHost: a\x01\r\n\r\n"),
       HttpParse::Malformed},
      {"signed length", "POST / HTTP/1.1\r\nHost: a\r\nContent-Length: -1\r\n\r\n",
       HttpParse::Malformed},
      {"two lengths",
       "POST / HTTP/1.1\r\nHost: a\r\nContent-Length: 1\r\nContent-Length: 1\r\n\r\nx",
       HttpParse::Malformed},
      {"chunked", "POST / HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n",
       HttpParse::Malformed},
      {"get with body", "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 1\r\n\r\nx",
       HttpParse::Malformed},
      {"huge length",
       "POST / HTTP/1.1\r\nHost: a\r\nContent-Length: 99999999999999999999999\r\n\r\n",
       HttpParse::Malformed},
      {"body over the limit", "POST / HTTP/1.1\r\nHost: a\r\nContent-Length: 65537\r\n\r\n",
       HttpParse::TooLarge},
      {"headers over the limit, unended", "GET / HTTP/1.1\r\nX: " + big, HttpParse::TooLarge},
      {"headers over the limit, ended", "GET / HTTP/1.1\r\nHost: a\r\nX: " + big + "\r\n\r\n",
       HttpParse::TooLarge},
  };
  for (const Case& c : cases) {
    ReceivedHttpRequest request;
    EXPECT_EQ(ParseHttpRequest(c.bytes, request), c.expected) << c.label;
  }
  ReceivedHttpRequest request;
  ASSERT_EQ(ParseHttpRequest(cases[1].bytes, request), HttpParse::Complete);
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/t/call");
  EXPECT_EQ(request.host, "127.0.0.1:1");
  EXPECT_EQ(request.body, "m=x");
}

TEST(BridgeHttpTest, ResponsesCloseAndAreNeverCached) {
  EXPECT_EQ(HttpResponseText(200, "text/plain", "hi"),
            "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n"
            "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
            "Connection: close\r\n\r\nhi");
  EXPECT_TRUE(HttpResponseText(404, "", "").starts_with("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n"));
}

TEST(BridgeHttpTest, RoutesOnlyThisRunsAddressesOnTheLoopbackHost) {
  using K = BridgeRoute::Kind;
  const std::string t = std::string("/") + kToken;
  const std::string wrongToken = "/0123456789abcdef0123456789abcdeF";
  struct Case {
    const char* method;
    std::string host;
    std::string target;
    K kind;
    const char* type;
    const char* name;
  };
  const std::string loopback = "127.0.0.1:41234";
  const Case cases[] = {
      {"GET", loopback, t + "/", K::Page, "", ""},
      {"GET", "localhost:41234", t + "/?x=1", K::Page, "", ""},
      {"GET", loopback, t + "/css/css.css", K::Asset, "CSS", "CSS.CSS"},
      {"GET", loopback, t + "/images/usb1.jpg?v=2", K::Asset, "IMAGES", "USB1.JPG"},
      {"GET", loopback, t + "/js/jquery.min.js", K::Asset, "JS", "JQUERY.MIN.JS"},
      {"GET", loopback, t + "/external.js", K::Script, "", ""},
      {"POST", loopback, t + "/call", K::Call, "", ""},
      {"POST", loopback, t + "/events", K::Events, "", ""},
      {"POST", loopback, t + "/loaded", K::Loaded, "", ""},
      {"GET", loopback, t + "/favicon.ico", K::NotFound, "", ""},
      // Exchanges only by POST, files only by GET.
      {"GET", loopback, t + "/call", K::Refused, "", ""},
      {"POST", loopback, t + "/external.js", K::Refused, "", ""},
      {"POST", loopback, t + "/css/css.css", K::Refused, "", ""},
      {"POST", loopback, t + "/", K::Refused, "", ""},
      {"POST", loopback, t + "/other", K::Refused, "", ""},
      // Without the token, or with another.
      {"GET", loopback, "/", K::Refused, "", ""},
      {"GET", loopback, "/css/css.css", K::Refused, "", ""},
      {"GET", loopback, t, K::Refused, "", ""},
      {"GET", loopback, wrongToken + "/", K::Refused, "", ""},
      {"GET", loopback, t + "x/", K::Refused, "", ""},
      {"GET", loopback, t.substr(0, t.size() - 1) + "/", K::Refused, "", ""},
      // Another host name or port: a rebound name, a proxy, a different run.
      {"GET", "evil.example:41234", t + "/", K::Refused, "", ""},
      {"GET", "127.0.0.1", t + "/", K::Refused, "", ""},
      {"GET", "127.0.0.1:41235", t + "/", K::Refused, "", ""},
      {"GET", "", t + "/", K::Refused, "", ""},
      // Odd paths never reach the resources.
      {"GET", loopback, t + "/css/../x", K::Refused, "", ""},
      {"GET", loopback, t + "/css//x", K::Refused, "", ""},
      {"GET", loopback, t + "/css/%2e%2e", K::Refused, "", ""},
      {"GET", loopback, t + "/css/", K::Refused, "", ""},
      {"GET", loopback, t + "//", K::Refused, "", ""},
  };
  for (const Case& c : cases) {
    const BridgeRoute route =
        RouteBridgeRequest(ReceivedHttpRequest{c.method, c.target, c.host, ""}, kToken, kPort);
    EXPECT_EQ(route.kind, c.kind) << c.method << " " << c.host << " " << c.target;
    EXPECT_EQ(route.type, c.type) << c.target;
    EXPECT_EQ(route.name, c.name) << c.target;
  }
  // A run without a token serves nothing.
  EXPECT_EQ(RouteBridgeRequest(ReceivedHttpRequest{"GET", "//", loopback, ""}, "", kPort).kind, K::Refused);
}

TEST(BridgeHttpTest, TheBridgeScriptComesFirstInTheHead) {
  const std::string element = "<script type=\"text/javascript\" src=\"external.js\"></script>";
  EXPECT_EQ(PageWithBridgeScript("<HTML><Head lang=\"zh\"><script src=\"js/a.js\"></script>"),
            "<HTML><Head lang=\"zh\">" + element + "<script src=\"js/a.js\"></script>");
  EXPECT_EQ(PageWithBridgeScript("<p>no head</p>"), element + "<p>no head</p>");
}

}  // namespace
}  // namespace tessaly
