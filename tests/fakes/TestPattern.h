#pragma once

#include <cstddef>
#include <string>

namespace tessaly {

// Test bodies holding bytes of every value, so that a text-mode conversion or a stray
// terminator cannot pass unnoticed: byte i is (i * 7 + 3) mod 256. The local HTTP test
// server (tests/server/http_test_server.py) serves the same pattern.
inline std::string TestPattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  }
  return bytes;
}

}  // namespace tessaly
