#include "diagnosis/HostsText.h"

namespace tessaly {

std::string HostsTextFromFile(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + 2);
  // The appended LF makes an empty file begin with one.
  if (!bytes.empty() && !bytes.starts_with('\n') && !bytes.starts_with("\r\n")) {
    text.push_back('\n');
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      continue;  // the LF that follows stands for the pair
    }
    text.push_back(bytes[i]);
  }
  text.push_back('\n');
  return text;
}

std::string HostsFileFromText(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') {
      bytes.push_back('\r');
    }
    bytes.push_back(c);
  }
  return bytes;
}

}  // namespace tessaly
