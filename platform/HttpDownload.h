#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/FileAccess.h"
#include "platform/InternetSession.h"

namespace tessaly {

// Every body streams through one buffer of this size.
inline constexpr std::size_t kTransferBlockBytes = 4096;
// The connect time-out of the configuration fetch, the only download that sets one.
inline constexpr std::uint32_t kConfigConnectTimeoutMs = 30000;
// The largest body DownloadToMemory holds. The check-item documents are a few tens of
// kilobytes; anything near this size is not one, and must not exhaust a 32-bit process.
inline constexpr std::size_t kMaxDownloadToMemoryBytes = 8 * 1024 * 1024;

inline constexpr std::uint32_t kHttpStatusOk = 200;

// The flags of every download: neither use nor fill the local cache, and ask for TLS when
// the URL begins with "https://" in any letter case (the prefix alone decides).
HttpOpenFlags DownloadFlagsFor(std::u16string_view url);

// A Content-Length value: decimal digits, optionally surrounded by spaces or tabs, that fit
// 64 bits. Nothing for any other text; a server that sends one cannot be held to a length.
std::optional<std::uint64_t> ParseContentLength(std::string_view text);

// written × 100 / length, without overflow and never above 100.
int DownloadProgressPercent(std::uint64_t written, std::uint64_t length);

// The body of a 200 answer (after setting the session's connect time-out to
// kConfigConnectTimeoutMs). Empty when the request cannot be opened, the status is not 200,
// the body breaks off, its size differs from a non-zero Content-Length, the Content-Length
// is no number, or the body exceeds kMaxDownloadToMemoryBytes. Without a Content-Length
// (or with 0) the whole body is returned.
std::string DownloadToMemory(InternetSession& session, std::u16string_view url);

// What a caller asks of a complete download before it may replace anything: given the
// staging file's path (closed, of the announced length), true to accept it.
using DownloadCheck = std::function<bool(const std::u16string& stagedPath)>;

// The staging file of a download to `path`: in the same folder, so that the complete file
// takes the target's place in one step.
std::u16string DownloadStagingPath(const std::u16string& path);

// Downloads a 200 answer's body to `path` without ever leaving a part of it there: the body
// goes into DownloadStagingPath(path), created exclusively (a stale one is truncated)
// before the server is contacted; a complete file that `check` (when given) accepts then
// replaces `path` in one step. `progress`, when given, is set to 0 once the request is open
// and then to DownloadProgressPercent after each block when the length is known; another
// thread may read it meanwhile.
//
// Answers the Content-Length when the staged file had exactly that length and replaced
// `path`. Answers 0, deletes the staging file and leaves an existing `path` as it was when
// the staging file cannot be created (no request is made), the request cannot be opened,
// the status is not 200, no length or no number is announced (nothing tells a complete
// body from a cut one), the body breaks off or differs from the Content-Length, a write
// fails, `check` refuses the file, or `path` cannot be replaced (it is in use).
std::uint64_t DownloadToFile(InternetSession& session, std::u16string_view url,
                             const FileWriter& files, const std::u16string& path,
                             std::atomic<int>* progress = nullptr,
                             const DownloadCheck& check = {});

// Opens each URL in order through a session of its own, with only the reload flag, and
// closes it at once: true when every one opened (the status is not looked at, so an error
// page counts as reachable). Stops at the first that cannot be opened and answers false;
// also false when no session can be opened. An empty list answers true.
bool ProbeUrls(const Internet& internet, std::span<const std::u16string> urls);

}  // namespace tessaly
