#include <memory>

#include "platform/HttpDownload.h"

namespace tessaly {

bool ProbeUrls(const Internet& internet, std::span<const std::u16string> urls) {
  const std::unique_ptr<InternetSession> session = internet.OpenSession();
  if (session == nullptr) {
    return false;
  }
  for (const std::u16string& url : urls) {
    // Only the opening counts; the request is closed again before the next one.
    if (session->OpenUrl(url, HttpOpenFlags{.reload = true}) == nullptr) {
      return false;
    }
  }
  return true;
}

}  // namespace tessaly
