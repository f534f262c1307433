#include "adapters/ravelin/win32/Win32TokenManager.h"

#include "adapters/ravelin/win32/TokenManagerFunctions.h"

namespace tessaly::ravelin::win32 {
namespace {

template <typename Function>
Function As(FARPROC address) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

}  // namespace

std::optional<TokenManagerEntryPoints> BindEntryPoints(HMODULE module) {
  TokenManagerEntryPoints e{};
  FARPROC* slots[17] = {&e.getTokenSN,     &e.establishContext, &e.releaseContext,
                        &e.closeDevice,    &e.getSlotList,      &e.openDeviceByIndex,
                        &e.selectFileByID, &e.reset,            &e.getTokenMasterKeyType,
                        &e.externAuth,     &e.auth,             &e.readBin,
                        &e.enumContainer,  &e.openContainer,    &e.getRSAKeyFromContainer,
                        &e.readCert,       &e.apdu};
  for (int i = 0; i < 17; ++i) {
    *slots[i] = GetProcAddress(module, kTokenManagerEntryNames[i]);
    if (*slots[i] == nullptr) {
      return std::nullopt;
    }
  }
  return e;
}

std::int32_t Win32TokenManager::EstablishContext() {
  return As<NDEstablishContextFn>(e_.establishContext)();
}
void Win32TokenManager::ReleaseContext() { As<NDReleaseContextFn>(e_.releaseContext)(); }
std::int32_t Win32TokenManager::GetSlotList(std::uint32_t* slots, std::uint32_t* count) {
  return As<NDGetSlotListFn>(e_.getSlotList)(slots, count);
}
std::int32_t Win32TokenManager::OpenDeviceByIndex(TokenDevice* device, std::uint32_t slot) {
  return As<NDOpenDeviceByIndexFn>(e_.openDeviceByIndex)(device, slot);
}
void Win32TokenManager::CloseDevice(TokenDevice device) {
  As<NDCloseDeviceFn>(e_.closeDevice)(device);
}
std::int32_t Win32TokenManager::GetTokenSN(TokenDevice device, std::uint8_t* serial,
                                           std::uint32_t* length) {
  return As<WDSCardGetTokenSNFn>(e_.getTokenSN)(device, serial, length);
}
std::int32_t Win32TokenManager::Reset(TokenDevice device, std::uint8_t* answer,
                                      std::uint32_t* length) {
  return As<WDSCardResetFn>(e_.reset)(device, answer, length);
}
std::int32_t Win32TokenManager::SelectFileByID(TokenDevice device, std::uint32_t fileId) {
  return As<SCardSelectFileByIDFn>(e_.selectFileByID)(device, fileId);
}
std::int32_t Win32TokenManager::GetTokenMasterKeyType(TokenDevice device, std::uint8_t* type) {
  return As<WDSCardGetTokenMaterKeyTypeFn>(e_.getTokenMasterKeyType)(device, type);
}
std::int32_t Win32TokenManager::ExternAuth(TokenDevice device, std::uint32_t keyId,
                                           const std::uint8_t* key, std::uint32_t length) {
  return As<SCardExternAuthFn>(e_.externAuth)(device, keyId, key, length);
}
std::int32_t Win32TokenManager::Auth(TokenDevice device) {
  return As<WDSCardAuthFn>(e_.auth)(device);
}
std::int32_t Win32TokenManager::Apdu(TokenDevice device, const std::uint8_t* command,
                                     std::uint32_t length, std::uint8_t* response,
                                     std::uint32_t* responseLength) {
  return As<SCardAPDUFn>(e_.apdu)(device, command, length, response, responseLength);
}
std::int32_t Win32TokenManager::ReadBin(TokenDevice device, std::uint32_t p1, std::uint32_t p2,
                                        std::uint8_t* buffer, std::uint32_t length) {
  return As<SCardReadBinFn>(e_.readBin)(device, p1, p2, buffer, length);
}
std::int32_t Win32TokenManager::EnumContainer(TokenDevice device, std::int32_t first, char* name) {
  return As<WDSCardEnumContainerFn>(e_.enumContainer)(device, first, name);
}
std::int32_t Win32TokenManager::OpenContainer(TokenDevice device, const char* name,
                                              TokenContainer* container) {
  return As<WDSCardOpenContainerFn>(e_.openContainer)(device, name, container);
}
std::int32_t Win32TokenManager::GetRSAKeyFromContainer(TokenDevice device, TokenContainer container,
                                                       std::uint32_t keySpec, std::uint8_t* keyByte,
                                                       std::uint32_t* certificate,
                                                       std::uint8_t* workBuffer) {
  // One entry point, two call forms: the caller's middleware version decides.
  if (workBuffer == nullptr) {
    return As<WDSCardGetRSAKeyfromContainerOldFn>(e_.getRSAKeyFromContainer)(device, container, keySpec,
                                                                             keyByte, certificate);
  }
  return As<WDSCardGetRSAKeyfromContainerFn>(e_.getRSAKeyFromContainer)(device, container, keySpec,
                                                                        keyByte, certificate, workBuffer);
}
std::int32_t Win32TokenManager::ReadCert(TokenDevice device, std::uint32_t certificate,
                                         std::uint8_t* buffer, std::uint32_t* length) {
  return As<WDSCardReadCertFn>(e_.readCert)(device, certificate, buffer, length);
}

}  // namespace tessaly::ravelin::win32
