#include "adapters/ravelin/TokenSession.h"

#include <cstring>

namespace tessaly::ravelin {

TokenSession::~TokenSession() {
  CloseDevice();
  if (locked_) {
    lock_.Release();
  }
  if (contextEstablished_) {
    tokens_.ReleaseContext();
  }
}

TokenSession::Start TokenSession::Begin() {
  switch (lock_.Acquire()) {
    case LockWait::Failed:
      lock_.Release();
      return Start::LockFailed;
    case LockWait::Acquired:
      locked_ = true;
      break;
    case LockWait::Unavailable:
      break;
  }
  if (tokens_.EstablishContext() != 0) {
    return Start::ContextFailed;
  }
  contextEstablished_ = true;
  return Start::Ok;
}

bool TokenSession::ReadSlotList() {
  slots_.fill(0);
  slotCount_ = 0;
  std::uint32_t count = kSlotListCapacity;
  if (tokens_.GetSlotList(slots_.data(), &count) != 0 || count > kSlotListCapacity) {
    return false;
  }
  slotCount_ = count;
  return true;
}

bool TokenSession::ReadSlotListOfAKey() {
  return ReadSlotList() && slotCount_ > 0 && slots_[0] != 0;
}

bool TokenSession::OpenDevice(std::uint32_t slot) {
  CloseDevice();
  TokenDevice device = nullptr;
  if (tokens_.OpenDeviceByIndex(&device, slot) != 0) {
    return false;
  }
  device_ = device;
  return true;
}

void TokenSession::CloseDevice() {
  if (device_) {
    tokens_.CloseDevice(*device_);
    device_.reset();
  }
}

std::optional<std::string> TokenSession::ReadSerial() {
  if (!device_) {
    return std::nullopt;
  }
  std::array<std::uint8_t, kSerialBufferBytes> serial{};
  std::uint32_t length = kSerialRoom;
  if (tokens_.GetTokenSN(*device_, serial.data(), &length) != 0 || length > kSerialRoom) {
    return std::nullopt;
  }
  return std::string(reinterpret_cast<const char*>(serial.data()), length);
}

bool TokenSession::OpenKeyBySerial(const char* text) {
  for (const std::uint32_t slot : Slots()) {
    if (!OpenDevice(slot)) {
      continue;
    }
    const std::optional<std::string> serial = ReadSerial();
    if (serial && SerialMatches(*serial, text)) {
      return true;
    }
    CloseDevice();
  }
  return false;
}

bool SerialMatches(const std::string& serial, const char* text) {
  // The text may be shorter than the serial: never read past its terminator.
  return text != nullptr && ::strnlen(text, serial.size()) == serial.size() &&
         std::memcmp(serial.data(), text, serial.size()) == 0;
}

}  // namespace tessaly::ravelin
