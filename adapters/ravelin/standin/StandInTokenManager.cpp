#include "adapters/ravelin/standin/StandInTokenManager.h"

#include <algorithm>
#include <cstring>

#include "adapters/ravelin/ExternalAuthKey.h"

namespace tessaly::ravelin::standin {
namespace {

constexpr std::int32_t kOk = 0;
constexpr std::int32_t kError = 0x10;  // any nonzero vendor error
constexpr std::uint8_t kVerify = 0x20;

// Device handles are 1-based key indices, container handles 1-based container indices.
TokenDevice HandleOf(std::size_t index) { return reinterpret_cast<TokenDevice>(index + 1); }
std::size_t IndexOf(void* handle) { return reinterpret_cast<std::uintptr_t>(handle) - 1; }

}  // namespace

StandInKey* StandInTokenManager::KeyOf(TokenDevice device) {
  const std::size_t index = IndexOf(device);
  return index < keys_.keys.size() ? &keys_.keys[index] : nullptr;
}

std::int32_t StandInTokenManager::EstablishContext() {
  if (keys_.contextFails) {
    return kError;
  }
  ++counters_.contextsOpen;
  return kOk;
}

void StandInTokenManager::ReleaseContext() { --counters_.contextsOpen; }

std::int32_t StandInTokenManager::GetSlotList(std::uint32_t* slots, std::uint32_t* count) {
  if (keys_.slotListFails) {
    return kError;
  }
  // Like a careless vendor library, it reports every key but writes only what fits.
  const std::size_t capacity = *count;
  for (std::size_t i = 0; i < keys_.keys.size() && i < capacity; ++i) {
    slots[i] = keys_.keys[i].slot;
  }
  *count = static_cast<std::uint32_t>(keys_.keys.size());
  return kOk;
}

std::int32_t StandInTokenManager::OpenDeviceByIndex(TokenDevice* device, std::uint32_t slot) {
  for (std::size_t i = 0; i < keys_.keys.size(); ++i) {
    if (keys_.keys[i].slot == slot && slot != 0) {
      *device = HandleOf(i);
      ++counters_.devicesOpen;
      nextContainer_ = 0;
      return kOk;
    }
  }
  return kError;
}

void StandInTokenManager::CloseDevice(TokenDevice) { --counters_.devicesOpen; }

std::int32_t StandInTokenManager::GetTokenSN(TokenDevice device, std::uint8_t* serial,
                                             std::uint32_t* length) {
  const StandInKey* key = KeyOf(device);
  if (key == nullptr) {
    return kError;
  }
  const std::size_t written = std::min<std::size_t>(key->serial.size(), *length);
  std::memcpy(serial, key->serial.data(), written);
  *length = key->reportedSerialLength.value_or(static_cast<std::uint32_t>(key->serial.size()));
  return kOk;
}

std::int32_t StandInTokenManager::Reset(TokenDevice device, std::uint8_t* answer,
                                        std::uint32_t* length) {
  const StandInKey* key = KeyOf(device);
  if (key == nullptr) {
    return kError;
  }
  const std::size_t written = std::min<std::size_t>(key->resetAnswer.size(), *length);
  std::copy_n(key->resetAnswer.begin(), written, answer);
  *length = static_cast<std::uint32_t>(written);
  return kOk;
}

std::int32_t StandInTokenManager::SelectFileByID(TokenDevice device, std::uint32_t fileId) {
  const StandInKey* key = KeyOf(device);
  return key != nullptr && !key->selectFails && fileId == 0x3F00 ? 1 : 0;
}

std::int32_t StandInTokenManager::GetTokenMasterKeyType(TokenDevice device, std::uint8_t* type) {
  const StandInKey* key = KeyOf(device);
  if (key == nullptr || key->masterKeyFails) {
    return 0;
  }
  std::memset(type, 0, 4);
  type[0] = 1;
  return 1;
}

std::int32_t StandInTokenManager::ExternAuth(TokenDevice device, std::uint32_t keyId,
                                             const std::uint8_t* key, std::uint32_t length) {
  const StandInKey* standIn = KeyOf(device);
  if (standIn == nullptr || keyId != 0 || length != 16) {
    return 0;
  }
  const std::optional<ExternalAuthKey> expected = DeriveExternalAuthKey(standIn->resetAnswer);
  if (!expected || !std::equal(expected->begin(), expected->end(), key)) {
    return 0;
  }
  ++counters_.externalAuthentications;
  return 1;
}

std::int32_t StandInTokenManager::Auth(TokenDevice device) {
  const StandInKey* key = KeyOf(device);
  return key != nullptr && !key->authFails ? kOk : kError;
}

std::int32_t StandInTokenManager::Apdu(TokenDevice device, const std::uint8_t* command,
                                       std::uint32_t length, std::uint8_t*,
                                       std::uint32_t* responseLength) {
  const StandInKey* key = KeyOf(device);
  ++counters_.apdus;
  *responseLength = 0;
  if (key == nullptr || length != 5 || command[0] != 0x00 || command[1] != kVerify) {
    return 0x6D00;  // instruction not supported
  }
  if (command[2] == 0x82) {
    return key->defaultPinStatus;
  }
  return command[2] == 0x80 ? key->pinStatus : 0x6A86;
}

std::int32_t StandInTokenManager::ReadBin(TokenDevice device, std::uint32_t p1, std::uint32_t p2,
                                          std::uint8_t* buffer, std::uint32_t length) {
  StandInKey* key = KeyOf(device);
  if (key == nullptr || p1 != 0x40 || p2 != 0x68 || length != 4 || !key->pinFlags) {
    return 0;
  }
  if (key->pinFlagReadFailures > 0) {
    --key->pinFlagReadFailures;
    return 0;
  }
  std::copy_n(key->pinFlags->begin(), 4, buffer);
  return 1;
}

std::int32_t StandInTokenManager::EnumContainer(TokenDevice device, std::int32_t first, char* name) {
  const StandInKey* key = KeyOf(device);
  if (key == nullptr) {
    return kError;
  }
  if (first != 0) {
    nextContainer_ = 0;
  }
  if (nextContainer_ >= key->containers.size()) {
    return kError;
  }
  const std::string& text = key->containers[nextContainer_++].name;
  // Writes up to the whole 128-byte buffer, terminator or not.
  const std::size_t written = std::min<std::size_t>(text.size() + 1, kContainerNameBytes);
  std::memcpy(name, text.c_str(), written);
  return kOk;
}

std::int32_t StandInTokenManager::OpenContainer(TokenDevice device, const char* name,
                                                TokenContainer* container) {
  const StandInKey* key = KeyOf(device);
  if (key == nullptr) {
    return kError;
  }
  for (std::size_t i = 0; i < key->containers.size(); ++i) {
    if (key->containers[i].openable &&
        key->containers[i].name.compare(0, kContainerNameBytes - 1, name) == 0) {
      *container = HandleOf(i);
      return kOk;
    }
  }
  return kError;
}

std::int32_t StandInTokenManager::GetRSAKeyFromContainer(TokenDevice device, TokenContainer container,
                                                         std::uint32_t keySpec, std::uint8_t* keyByte,
                                                         std::uint32_t* certificate,
                                                         std::uint8_t* workBuffer) {
  const StandInKey* key = KeyOf(device);
  const std::size_t index = IndexOf(container);
  if (key == nullptr || index >= key->containers.size() ||
      (key->oldFormOnly && *key->oldFormOnly != (workBuffer == nullptr))) {
    return kError;
  }
  const auto& certificates = key->containers[index].certificates;
  for (std::size_t i = 0; i < certificates.size(); ++i) {
    if (certificates[i].keySpec == keySpec) {
      *keyByte = static_cast<std::uint8_t>(keySpec);
      *certificate = static_cast<std::uint32_t>(index * 16 + i);
      return kOk;
    }
  }
  return kError;
}

std::int32_t StandInTokenManager::ReadCert(TokenDevice device, std::uint32_t certificate,
                                           std::uint8_t* buffer, std::uint32_t* length) {
  const StandInKey* key = KeyOf(device);
  const std::size_t containerIndex = certificate / 16;
  const std::size_t index = certificate % 16;
  if (key == nullptr || containerIndex >= key->containers.size() ||
      index >= key->containers[containerIndex].certificates.size()) {
    return kError;
  }
  const StandInCertificate& standIn = key->containers[containerIndex].certificates[index];
  const std::size_t written = std::min<std::size_t>(standIn.der.size(), kCertificateBytes);
  std::copy_n(standIn.der.begin(), written, buffer);
  *length = standIn.reportedLength.value_or(static_cast<std::uint32_t>(standIn.der.size()));
  return kOk;
}

}  // namespace tessaly::ravelin::standin
