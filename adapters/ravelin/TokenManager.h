#pragma once

#include <cstdint>

namespace tessaly::ravelin {

// Handles the token manager gives out; opaque to Ravelin.
using TokenDevice = void*;
using TokenContainer = void*;

// The seventeen entry points of Watchdata's token manager, as Ravelin calls them. The
// arguments mirror the vendor's C functions one to one, so the Windows binding forwards
// them unchanged; the results are the vendor's too (some calls answer 0 for success, others
// nonzero, as noted). Nothing the token manager writes is trusted: the callers check every
// length it reports against the buffer they gave it.
class TokenManager {
 public:
  virtual ~TokenManager() = default;
  virtual std::int32_t EstablishContext() = 0;  // 0 = success
  virtual void ReleaseContext() = 0;
  // `count` holds the capacity of `slots` on entry and the number written on return.
  virtual std::int32_t GetSlotList(std::uint32_t* slots, std::uint32_t* count) = 0;  // 0 = success
  virtual std::int32_t OpenDeviceByIndex(TokenDevice* device, std::uint32_t slot) = 0;  // 0 = success
  virtual void CloseDevice(TokenDevice device) = 0;
  // `length` holds the room in `serial` on entry and the serial's length on return.
  virtual std::int32_t GetTokenSN(TokenDevice device, std::uint8_t* serial,
                                  std::uint32_t* length) = 0;  // 0 = success
  virtual std::int32_t Reset(TokenDevice device, std::uint8_t* answer,
                             std::uint32_t* length) = 0;  // result ignored
  virtual std::int32_t SelectFileByID(TokenDevice device, std::uint32_t fileId) = 0;  // nonzero = success
  virtual std::int32_t GetTokenMasterKeyType(TokenDevice device,
                                             std::uint8_t* type) = 0;  // nonzero = success
  virtual std::int32_t ExternAuth(TokenDevice device, std::uint32_t keyId, const std::uint8_t* key,
                                  std::uint32_t length) = 0;  // nonzero = success
  virtual std::int32_t Auth(TokenDevice device) = 0;          // 0 = success
  // The low 16 bits of the result are the ISO 7816 status word.
  virtual std::int32_t Apdu(TokenDevice device, const std::uint8_t* command, std::uint32_t length,
                            std::uint8_t* response, std::uint32_t* responseLength) = 0;
  virtual std::int32_t ReadBin(TokenDevice device, std::uint32_t p1, std::uint32_t p2,
                               std::uint8_t* buffer, std::uint32_t length) = 0;  // nonzero = success
  // `name` has room for 128 bytes. 0 = a name was returned, nonzero = no more containers.
  virtual std::int32_t EnumContainer(TokenDevice device, std::int32_t first, char* name) = 0;
  virtual std::int32_t OpenContainer(TokenDevice device, const char* name,
                                     TokenContainer* container) = 0;  // 0 = success
  // `workBuffer` (4 bytes) is the extra argument of middleware 3.3.8 and later; null selects
  // the older form without it.
  virtual std::int32_t GetRSAKeyFromContainer(TokenDevice device, TokenContainer container,
                                              std::uint32_t keySpec, std::uint8_t* keyByte,
                                              std::uint32_t* certificate,
                                              std::uint8_t* workBuffer) = 0;  // 0 = success
  // The DER length is in the low 16 bits of `length`.
  virtual std::int32_t ReadCert(TokenDevice device, std::uint32_t certificate, std::uint8_t* buffer,
                                std::uint32_t* length) = 0;  // 0 = success
};

// Buffer sizes Ravelin gives the token manager.
inline constexpr std::uint32_t kSlotListCapacity = 10;
inline constexpr std::uint32_t kSerialBufferBytes = 17;  // 16 and a zero
inline constexpr std::uint32_t kSerialRoom = 16;
inline constexpr std::uint32_t kResetAnswerBytes = 500;
inline constexpr std::uint32_t kApduResponseBytes = 260;
inline constexpr std::uint32_t kContainerNameBytes = 128;
inline constexpr std::uint32_t kCertificateBytes = 4096;

}  // namespace tessaly::ravelin
