// The stand-in TokenMgr.dll: the seventeen entry points over the keys of the file named by
// TESSALY_STANDIN_KEYS, read again at every context, so a test changes the attached keys by
// rewriting the file. No file: no keys; a file it cannot understand: no context.
#include <windows.h>

#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "adapters/ravelin/standin/StandInTokenManager.h"
#include "adapters/ravelin/win32/TokenManagerFunctions.h"

namespace {

using tessaly::ravelin::standin::ParseStandInKeys;
using tessaly::ravelin::standin::StandInKeys;
using tessaly::ravelin::standin::StandInTokenManager;

std::mutex guard;  // Ravelin serialises its calls; other callers might not

// Never destroyed: a destructor registered from a library may outlive the library.
StandInTokenManager& Tokens() {
  static StandInTokenManager* const tokens = new StandInTokenManager(StandInKeys{});
  return *tokens;
}

StandInKeys ReadKeys() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetEnvironmentVariableA("TESSALY_STANDIN_KEYS", path, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) {
    return {};
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return {};
  }
  std::ostringstream text;
  text << file.rdbuf();
  StandInKeys unreadable;
  unreadable.contextFails = true;
  return ParseStandInKeys(text.str()).value_or(unreadable);
}

}  // namespace

// Runs one call of the stand-in under its guard.
template <typename Call>
std::int32_t Locked(Call call) {
  const std::lock_guard<std::mutex> lock(guard);
  return call(Tokens());
}

extern "C" {

std::int32_t TOKENMGR_CALL NDEstablishContext() {
  const std::lock_guard<std::mutex> lock(guard);
  Tokens().Replace(ReadKeys());
  return Tokens().EstablishContext();
}
std::int32_t TOKENMGR_CALL NDReleaseContext() {
  return Locked([](StandInTokenManager& t) { t.ReleaseContext(); return 0; });
}
std::int32_t TOKENMGR_CALL NDGetSlotList(std::uint32_t* slots, std::uint32_t* count) {
  return Locked([&](StandInTokenManager& t) { return t.GetSlotList(slots, count); });
}
std::int32_t TOKENMGR_CALL NDOpenDeviceByIndex(void** device, std::uint32_t slot) {
  return Locked([&](StandInTokenManager& t) { return t.OpenDeviceByIndex(device, slot); });
}
std::int32_t TOKENMGR_CALL NDCloseDevice(void* device) { return Locked([&](StandInTokenManager& t) { t.CloseDevice(device); return 0; }); }
std::int32_t TOKENMGR_CALL WDSCardGetTokenSN(void* device, std::uint8_t* serial, std::uint32_t* length) {
  return Locked([&](StandInTokenManager& t) { return t.GetTokenSN(device, serial, length); });
}
std::int32_t TOKENMGR_CALL WDSCardReset(void* device, std::uint8_t* answer, std::uint32_t* length) {
  return Locked([&](StandInTokenManager& t) { return t.Reset(device, answer, length); });
}
std::int32_t TOKENMGR_CALL SCardSelectFileByID(void* device, std::uint32_t fileId) {
  return Locked([&](StandInTokenManager& t) { return t.SelectFileByID(device, fileId); });
}
std::int32_t TOKENMGR_CALL WDSCardGetTokenMaterKeyType(void* device, std::uint8_t* type) {
  return Locked([&](StandInTokenManager& t) { return t.GetTokenMasterKeyType(device, type); });
}
std::int32_t TOKENMGR_CALL SCardExternAuth(void* device, std::uint32_t keyId, const std::uint8_t* key,
                                           std::uint32_t length) {
  return Locked([&](StandInTokenManager& t) { return t.ExternAuth(device, keyId, key, length); });
}
std::int32_t TOKENMGR_CALL WDSCardAuth(void* device) { return Locked([&](StandInTokenManager& t) { return t.Auth(device); }); }
std::int32_t TOKENMGR_CALL SCardAPDU(void* device, const std::uint8_t* command, std::uint32_t length,
                                     std::uint8_t* response, std::uint32_t* responseLength) {
  return Locked([&](StandInTokenManager& t) { return t.Apdu(device, command, length, response, responseLength); });
}
std::int32_t TOKENMGR_CALL SCardReadBin(void* device, std::uint32_t p1, std::uint32_t p2,
                                        std::uint8_t* buffer, std::uint32_t length) {
  return Locked([&](StandInTokenManager& t) { return t.ReadBin(device, p1, p2, buffer, length); });
}
std::int32_t TOKENMGR_CALL WDSCardEnumContainer(void* device, std::int32_t first, char* name) {
  return Locked([&](StandInTokenManager& t) { return t.EnumContainer(device, first, name); });
}
std::int32_t TOKENMGR_CALL WDSCardOpenContainer(void* device, const char* name, void** container) {
  return Locked([&](StandInTokenManager& t) { return t.OpenContainer(device, name, container); });
}
// The form of middleware 3.3.8 and later. A caller of the older form passes one argument
// fewer, so this stand-in is only for callers of the newer one.
std::int32_t TOKENMGR_CALL WDSCardGetRSAKeyfromContainer(void* device, void* container,
                                                         std::uint32_t keySpec, std::uint8_t* keyByte,
                                                         std::uint32_t* certificate,
                                                         std::uint8_t* workBuffer) {
  return Locked([&](StandInTokenManager& t) { return t.GetRSAKeyFromContainer(device, container, keySpec, keyByte, certificate,
                                               workBuffer); });
}
std::int32_t TOKENMGR_CALL WDSCardReadCert(void* device, std::uint32_t certificate, std::uint8_t* buffer,
                                           std::uint32_t* length) {
  return Locked([&](StandInTokenManager& t) { return t.ReadCert(device, certificate, buffer, length); });
}

}  // extern "C"
