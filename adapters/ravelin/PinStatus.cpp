// DefaultPINFlg and GetPinRetryTimes: two VERIFY commands without data, whose status words
// tell the PIN's state without spending a try.
#include <array>
#include <cstring>

#include "adapters/keyadapter/KeyAdapter.h"
#include "adapters/ravelin/RavelinAdapter.h"
#include "adapters/ravelin/TokenSession.h"

namespace tessaly::ravelin {
namespace {

constexpr std::uint8_t kAskDefaultPin[5] = {0x00, 0x20, 0x82, 0x02, 0x00};
constexpr std::uint8_t kAskPinTries[5] = {0x00, 0x20, 0x80, 0x02, 0x00};

constexpr std::uint16_t kConditionsNotSatisfied = 0x6985;  // the PIN was never changed
constexpr std::uint16_t kSuccessStatus = 0x9000;
constexpr std::uint16_t kTriesLeftMask = 0xFFF0;
constexpr std::uint16_t kTriesLeft = 0x63C0;
constexpr std::uint32_t kDefaultPinFlagBit = 0x80000;
constexpr std::int32_t kTriesUnknown = -1;

// The key's PIN flags: four bytes at 0x40, 0x68, little-endian.
std::optional<std::uint32_t> ReadPinFlags(TokenManager& tokens, TokenDevice device) {
  std::array<std::uint8_t, 4> bytes{};
  if (tokens.ReadBin(device, 0x40, 0x68, bytes.data(), bytes.size()) == 0) {
    return std::nullopt;
  }
  return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) |
         (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
}

}  // namespace

std::uint16_t RavelinAdapter::SendCommand(TokenDevice device, const std::uint8_t (&command)[5]) {
  std::array<std::uint8_t, kApduResponseBytes> response{};
  std::uint32_t responseLength = kApduResponseBytes;
  return static_cast<std::uint16_t>(
      s_.tokens.Apdu(device, command, sizeof command, response.data(), &responseLength) & 0xFFFF);
}

std::int32_t RavelinAdapter::DefaultPINFlg(const char* serial) {
  if (serial == nullptr) {
    return 1;
  }
  TokenSession session(s_.tokens, s_.lock);
  if (session.Begin() != TokenSession::Start::Ok) {
    return 0;
  }
  if (!session.ReadSlotListOfAKey()) {
    s_.messages.ShowWarning(kNoKeyCaption, kNoKeyText);
    return 0;
  }
  if (!session.OpenKeyBySerial(serial)) {
    return 0;
  }
  const TokenDevice device = *session.Device();
  if (s_.tokens.Auth(device) != 0) {
    return 0;
  }
  const std::uint16_t status = SendCommand(device, kAskDefaultPin);
  if (status == kConditionsNotSatisfied) {
    return 1;
  }
  if (status == kSuccessStatus) {
    return 0;
  }
  std::optional<std::uint32_t> flags = ReadPinFlags(s_.tokens, device);
  if (!flags) {
    static_cast<void>(s_.tokens.Auth(device));
    flags = ReadPinFlags(s_.tokens, device);
  }
  return flags && (*flags & kDefaultPinFlagBit) != 0 ? 1 : 0;
}

std::int32_t RavelinAdapter::GetPinRetryTimes(const char* serial) {
  if (serial == nullptr || serial[0] == '\0') {
    return kTriesUnknown;
  }
  TokenSession session(s_.tokens, s_.lock);
  if (session.Begin() != TokenSession::Start::Ok || !session.ReadSlotListOfAKey() ||
      !session.OpenKeyBySerial(serial)) {
    return kTriesUnknown;
  }
  const TokenDevice device = *session.Device();
  static_cast<void>(s_.tokens.Auth(device));
  const std::uint16_t status = SendCommand(device, kAskPinTries);
  if ((status & kTriesLeftMask) != kTriesLeft) {
    return kTriesUnknown;
  }
  return status & 0x000F;
}

}  // namespace tessaly::ravelin
