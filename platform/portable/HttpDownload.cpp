#include "platform/HttpDownload.h"

#include <array>
#include <limits>
#include <memory>

namespace tessaly {
namespace {

constexpr std::u16string_view kSecurePrefix = u"https://";
constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();
constexpr char16_t kStagingSuffix[] = u".download";

char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool StartsWithIgnoringAsciiCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) {
    return false;
  }
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiLower(text[i]) != prefix[i]) {
      return false;
    }
  }
  return true;
}

// 0 stands for "no length announced", as a missing header does; nothing for a header that
// is present but no number.
std::optional<std::uint64_t> AnnouncedLength(const HttpRequest& request) {
  const std::optional<std::string> header = request.ContentLengthHeader();
  if (!header) {
    return 0;
  }
  return ParseContentLength(*header);
}

// Reads the body block by block and hands each block to `accept`. True when the body ended
// normally within `limit` bytes; false when a read failed, `accept` refused a block, or the
// body went past `limit` (reading stops there: the outcome is decided, and a body that
// never ends must not keep the caller busy).
template <typename Accept>
bool StreamBody(HttpRequest& request, std::uint64_t limit, Accept&& accept) {
  std::array<char, kTransferBlockBytes> block{};
  std::uint64_t received = 0;
  for (;;) {
    const HttpReadResult read = request.Read(block);
    if (!read.ok || read.count > block.size()) {
      return false;
    }
    if (read.count == 0) {
      return true;
    }
    received += read.count;
    if (received > limit || !accept(std::span<const char>(block.data(), read.count))) {
      return false;
    }
  }
}

}  // namespace

HttpOpenFlags DownloadFlagsFor(std::u16string_view url) {
  return HttpOpenFlags{.reload = true,
                       .noCacheWrite = true,
                       .transferAscii = true,
                       .secure = StartsWithIgnoringAsciiCase(url, kSecurePrefix)};
}

std::optional<std::uint64_t> ParseContentLength(std::string_view text) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && isBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isBlank(text.back())) {
    text.remove_suffix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (kNoLimit - digit) / 10) {
      return std::nullopt;
    }
    value = value * 10 + digit;
  }
  return value;
}

int DownloadProgressPercent(std::uint64_t written, std::uint64_t length) {
  if (written >= length) {
    return 100;
  }
  // written × 100 may not fit 64 bits, so the product is built by adding `written` a hundred
  // times, carrying whole lengths into the quotient. With written < length the remainder
  // stays below the length and no sum overflows.
  int percent = 0;
  std::uint64_t remainder = 0;
  for (int step = 0; step < 100; ++step) {
    if (remainder >= length - written) {
      remainder -= length - written;
      ++percent;
    } else {
      remainder += written;
    }
  }
  return percent;
}

std::string DownloadToMemory(InternetSession& session, std::u16string_view url) {
  session.SetConnectTimeout(kConfigConnectTimeoutMs);
  const std::unique_ptr<HttpRequest> request = session.OpenUrl(url, DownloadFlagsFor(url));
  if (request == nullptr || request->StatusCode() != kHttpStatusOk) {
    return {};
  }
  const std::optional<std::uint64_t> length = AnnouncedLength(*request);
  if (!length || *length > kMaxDownloadToMemoryBytes) {
    return {};
  }
  std::string body;
  const bool complete = StreamBody(*request, *length != 0 ? *length : kMaxDownloadToMemoryBytes,
                                   [&body](std::span<const char> block) {
                                     body.append(block.data(), block.size());
                                     return true;
                                   });
  if (!complete || (*length != 0 && body.size() != *length)) {
    return {};
  }
  return body;
}

std::u16string DownloadStagingPath(const std::u16string& path) {
  return path.empty() ? std::u16string() : path + kStagingSuffix;
}

std::uint64_t DownloadToFile(InternetSession& session, std::u16string_view url,
                             const FileWriter& files, const std::u16string& path,
                             std::atomic<int>* progress, const DownloadCheck& check) {
  const std::u16string staged = DownloadStagingPath(path);
  std::unique_ptr<WritableFile> file = staged.empty() ? nullptr : files.CreateExclusive(staged);
  if (file == nullptr) {
    return 0;
  }
  // A failed download leaves nothing behind and the file it was meant for untouched. The
  // staging file is closed first: it is open without sharing, so it could not be deleted
  // while open.
  const auto discard = [&file, &files, &staged] {
    file.reset();
    files.Delete(staged);
    return std::uint64_t{0};
  };

  std::unique_ptr<HttpRequest> request = session.OpenUrl(url, DownloadFlagsFor(url));
  if (request == nullptr) {
    return discard();
  }
  if (progress != nullptr) {
    progress->store(0);
  }
  // An error page is no download, whether or not its length was announced.
  if (request->StatusCode() != kHttpStatusOk) {
    return discard();
  }
  const std::optional<std::uint64_t> length = AnnouncedLength(*request);
  // Without a length nothing tells a complete file from a cut one, so it replaces nothing.
  if (!length || *length == 0) {
    return discard();
  }
  std::uint64_t written = 0;
  const bool complete = StreamBody(*request, *length, [&](std::span<const char> block) {
    if (!file->Write(block)) {
      return false;
    }
    written += block.size();
    if (progress != nullptr) {
      progress->store(DownloadProgressPercent(written, *length));
    }
    return true;
  });
  request.reset();
  if (!complete || file->Size() != length || !file->Close()) {
    return discard();
  }
  if ((check && !check(staged)) || !files.Replace(staged, path)) {
    return discard();
  }
  return *length;
}

}  // namespace tessaly
