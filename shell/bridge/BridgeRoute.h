#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "shell/bridge/HttpMessage.h"

namespace tessaly {

// What a request to the development bridge asks for. The bridge serves one run's page
// under "/<token>/": the page itself there, its assets at the relative addresses the page
// uses ("css/css.css", "images/usb1.jpg"), and, at names without a folder, its own script
// and the three exchanges of that script with the program.
struct BridgeRoute {
  enum class Kind {
    Refused,   // answer nothing and close: wrong host, token or method, or an odd path
    NotFound,  // a well-formed address of this run that names nothing
    Page,      // GET: page 104 with the bridge's script ahead of the page's own
    Asset,     // GET: the resource `type`/`name` (the page's address scheme)
    Script,    // GET: the bridge's script that gives the page its `external` object
    Call,      // POST: one page method call (PageCallForm.h)
    Events,    // POST: the page functions called since the last exchange
    Loaded,    // POST: the page has loaded
  };
  Kind kind = Kind::Refused;
  std::string type;
  std::string name;
};

// The name the page fetches the bridge's script by, relative to the page.
inline constexpr std::string_view kBridgeScriptName = "external.js";

// Routes `request` of a run with `token` listening on 127.0.0.1:`port`. Only a Host of
// "127.0.0.1:port" or "localhost:port" is served, so a page of another site that a DNS
// name rebinds to the loopback address cannot talk to the program; the token, compared in
// constant time, keeps out every other local process that does not know it.
BridgeRoute RouteBridgeRequest(const ReceivedHttpRequest& request, std::string_view token,
                               std::uint16_t port);

// Page 104 with a script element for the bridge's script at the start of its head, so
// `external` exists before any script of the page runs.
std::string PageWithBridgeScript(std::string_view page);

}  // namespace tessaly
