#pragma once

#include <cstdint>

#include "adapters/ravelin/TokenManager.h"
#include "adapters/ravelin/standin/StandInKeys.h"

namespace tessaly::ravelin::standin {

// A token manager over scripted keys. It behaves as Ravelin relies on the vendor's to behave,
// including its failure answers, and accepts external authentication only with the key the
// derivation gives for the key's reset answer under the build's constants. It counts what it
// was asked, so tests can see that every context and device is given back.
class StandInTokenManager final : public TokenManager {
 public:
  explicit StandInTokenManager(StandInKeys keys) : keys_(std::move(keys)) {}

  void Replace(StandInKeys keys) { keys_ = std::move(keys); }

  std::int32_t EstablishContext() override;
  void ReleaseContext() override;
  std::int32_t GetSlotList(std::uint32_t* slots, std::uint32_t* count) override;
  std::int32_t OpenDeviceByIndex(TokenDevice* device, std::uint32_t slot) override;
  void CloseDevice(TokenDevice device) override;
  std::int32_t GetTokenSN(TokenDevice device, std::uint8_t* serial, std::uint32_t* length) override;
  std::int32_t Reset(TokenDevice device, std::uint8_t* answer, std::uint32_t* length) override;
  std::int32_t SelectFileByID(TokenDevice device, std::uint32_t fileId) override;
  std::int32_t GetTokenMasterKeyType(TokenDevice device, std::uint8_t* type) override;
  std::int32_t ExternAuth(TokenDevice device, std::uint32_t keyId, const std::uint8_t* key,
                          std::uint32_t length) override;
  std::int32_t Auth(TokenDevice device) override;
  std::int32_t Apdu(TokenDevice device, const std::uint8_t* command, std::uint32_t length,
                    std::uint8_t* response, std::uint32_t* responseLength) override;
  std::int32_t ReadBin(TokenDevice device, std::uint32_t p1, std::uint32_t p2, std::uint8_t* buffer,
                       std::uint32_t length) override;
  std::int32_t EnumContainer(TokenDevice device, std::int32_t first, char* name) override;
  std::int32_t OpenContainer(TokenDevice device, const char* name, TokenContainer* container) override;
  std::int32_t GetRSAKeyFromContainer(TokenDevice device, TokenContainer container,
                                      std::uint32_t keySpec, std::uint8_t* keyByte,
                                      std::uint32_t* certificate, std::uint8_t* workBuffer) override;
  std::int32_t ReadCert(TokenDevice device, std::uint32_t certificate, std::uint8_t* buffer,
                        std::uint32_t* length) override;

  struct Counters {
    int contextsOpen = 0;
    int devicesOpen = 0;
    int externalAuthentications = 0;  // accepted ones
    int apdus = 0;
  };
  const Counters& counters() const { return counters_; }

 private:
  StandInKey* KeyOf(TokenDevice device);

  StandInKeys keys_;
  Counters counters_;
  std::size_t nextContainer_ = 0;
};

}  // namespace tessaly::ravelin::standin
