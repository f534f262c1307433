// Reads reset answers in hexadecimal, one a line, and prints the external-authentication key
// Ravelin derives from each (or "none"), for the independent check of the derivation.
#include <cstdio>
#include <iostream>
#include <string>

#include "adapters/ravelin/ExternalAuthKey.h"
#include "adapters/ravelin/standin/StandInKeys.h"

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    const auto answer = tessaly::ravelin::standin::ParseHex(line);
    const auto key = answer ? tessaly::ravelin::DeriveExternalAuthKey(*answer) : std::nullopt;
    if (!key) {
      std::puts("none");
      continue;
    }
    for (const std::uint8_t byte : *key) {
      std::printf("%02x", byte);
    }
    std::puts("");
  }
  return 0;
}
