#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "adapters/ravelin/TokenManager.h"

namespace tessaly::ravelin::win32 {

// The token manager's entry points, looked up by name in one loaded module.
struct TokenManagerEntryPoints {
  FARPROC getTokenSN, establishContext, releaseContext, closeDevice, getSlotList,
      openDeviceByIndex, selectFileByID, reset, getTokenMasterKeyType, externAuth, auth, readBin,
      enumContainer, openContainer, getRSAKeyFromContainer, readCert, apdu;
};

// The names in the order they are bound.
inline constexpr const char* kTokenManagerEntryNames[17] = {
    "WDSCardGetTokenSN",   "NDEstablishContext",          "NDReleaseContext",
    "NDCloseDevice",       "NDGetSlotList",               "NDOpenDeviceByIndex",
    "SCardSelectFileByID", "WDSCardReset",                "WDSCardGetTokenMaterKeyType",
    "SCardExternAuth",     "WDSCardAuth",                 "SCardReadBin",
    "WDSCardEnumContainer", "WDSCardOpenContainer",       "WDSCardGetRSAKeyfromContainer",
    "WDSCardReadCert",     "SCardAPDU"};

// All seventeen, or nothing when one is missing.
std::optional<TokenManagerEntryPoints> BindEntryPoints(HMODULE module);

// Forwards every call to the bound entry points (callee-cleans convention).
class Win32TokenManager final : public TokenManager {
 public:
  explicit Win32TokenManager(const TokenManagerEntryPoints& entries) : e_(entries) {}

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

 private:
  TokenManagerEntryPoints e_;
};

}  // namespace tessaly::ravelin::win32
