#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::ravelin::standin {

// The keys the stand-in token manager pretends are attached, read from a small text file a
// test writes. One directive a line, '#' starts a comment:
//   context-fails | slot-list-fails          the whole token manager misbehaves
//   key <slot>                               starts a key on that slot-list entry
//   serial <text> | serial-length <n>        its serial; a reported length other than its own
//   reset-answer <hex>                       the answer to a reset
//   select-fails | master-key-fails | auth-fails
//   key-form old|new                         the only call form its certificate reading takes
//   default-pin-status <hex> | pin-status <hex>   status words of the two VERIFY commands
//   pin-flags <hex> | pin-flags-read-fails <n>    the 4-byte binary read; the first n fail
//   container <name> [unopenable]            starts a container of the key
//   certificate signature|exchange <hex> [reported-length <n>]   a DER certificate in it
struct StandInCertificate {
  std::uint32_t keySpec = 0;
  std::vector<std::uint8_t> der;
  std::optional<std::uint32_t> reportedLength;
};

struct StandInContainer {
  std::string name;
  bool openable = true;
  std::vector<StandInCertificate> certificates;
};

struct StandInKey {
  std::uint32_t slot = 0;
  std::string serial;
  std::optional<std::uint32_t> reportedSerialLength;
  std::vector<std::uint8_t> resetAnswer;
  bool selectFails = false;
  bool masterKeyFails = false;
  bool authFails = false;
  std::optional<bool> oldFormOnly;
  std::uint16_t defaultPinStatus = 0x9000;
  std::uint16_t pinStatus = 0x63C5;
  std::optional<std::vector<std::uint8_t>> pinFlags;
  int pinFlagReadFailures = 0;
  std::vector<StandInContainer> containers;
};

struct StandInKeys {
  bool contextFails = false;
  bool slotListFails = false;
  std::vector<StandInKey> keys;
};

// Nothing when a line is not understood (the test's file is wrong, not the adapter).
std::optional<StandInKeys> ParseStandInKeys(std::string_view text);

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view hex);

}  // namespace tessaly::ravelin::standin
