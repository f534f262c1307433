#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "adapters/ravelin/KeyLock.h"
#include "adapters/ravelin/TokenManager.h"

namespace tessaly::ravelin {

// The frame of every token operation of an export: the lock, the token-manager context and
// the slot list, and at most one open device. Whatever was taken is given back when the
// session ends: the device closed, the lock released, the context released, in that order.
class TokenSession {
 public:
  enum class Start { Ok, LockFailed, ContextFailed };

  TokenSession(TokenManager& tokens, KeyLock& lock) : tokens_(tokens), lock_(lock) {}
  TokenSession(const TokenSession&) = delete;
  TokenSession& operator=(const TokenSession&) = delete;
  ~TokenSession();

  // Takes the lock and establishes the context.
  Start Begin();
  // Reads the slot list; a count above its capacity is refused.
  bool ReadSlotList();
  // As ReadSlotList, for the exports that address one key: an empty list or a first entry
  // of 0 fail too.
  bool ReadSlotListOfAKey();
  std::span<const std::uint32_t> Slots() const { return {slots_.data(), slotCount_}; }

  // Opens the slot's device as the session's device (closing any other first).
  bool OpenDevice(std::uint32_t slot);
  void CloseDevice();
  std::optional<TokenDevice> Device() const { return device_; }
  // The open device's serial: the bytes it reports, at most 16; nothing when the read fails
  // or the reported length does not fit.
  std::optional<std::string> ReadSerial();
  // Opens the first key whose serial is a prefix of `text` and keeps it as the device.
  bool OpenKeyBySerial(const char* text);

 private:
  TokenManager& tokens_;
  KeyLock& lock_;
  bool locked_ = false;
  bool contextEstablished_ = false;
  std::array<std::uint32_t, kSlotListCapacity> slots_{};
  std::size_t slotCount_ = 0;
  std::optional<TokenDevice> device_;
};

// Whether a key of this serial is the one a text names: its n bytes begin the text.
bool SerialMatches(const std::string& serial, const char* text);

}  // namespace tessaly::ravelin
