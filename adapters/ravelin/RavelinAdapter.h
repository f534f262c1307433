#pragma once

#include <cstdint>
#include <optional>

#include "adapters/ravelin/KeyCertificates.h"
#include "adapters/ravelin/KeyLock.h"
#include "adapters/ravelin/KeyMessages.h"
#include "adapters/ravelin/MiddlewareInstallation.h"
#include "adapters/ravelin/TokenManager.h"
#include "platform/Clock.h"

namespace tessaly::ravelin {

class TokenSession;

// The exports of Ravelin over its seams, one method each with the export's arguments and
// result. Callers' buffers are written only within the sizes of the key-adapter contract:
// what would not fit makes the export fail instead.
class RavelinAdapter {
 public:
  struct Services {
    TokenManager& tokens;
    KeyLock& lock;
    CertificateReader& certificates;
    KeyMessages& messages;
    const MiddlewareInstallation& middleware;
    const Clock& clock;
  };

  explicit RavelinAdapter(Services services) : s_(services) {}

  std::int32_t CheckKeyEnv(std::int32_t* code);
  std::int32_t GetKeyCount(std::int32_t* count);
  std::int32_t GetKeySN(char* serials);
  std::int32_t GetCertCN(const char* serial, char* names);
  std::int32_t GetCertNotBefore(const char* name, char* date);
  std::int32_t GetCertNotAfter(const char* name, char* date);
  std::int32_t GetCertIssuer(const char* name, char* issuer);
  std::int32_t GetPinRetryTimes(const char* serial);
  std::int32_t DefaultPINFlg(const char* serial);
  std::int32_t GetFactoryName(char* name);
  std::int32_t GetSoftwareVersion(char* version);

 private:
  enum class CertificateField { NotBefore, NotAfter, Issuer };
  std::int32_t WriteCertificateField(const char* name, char* out, CertificateField field);
  std::optional<KeyCertificate> FindCertificateByName(TokenDevice device, const char* name);
  bool AuthenticateDevice(TokenDevice device);
  bool CheckKeyCertificates(TokenDevice device);
  std::uint16_t SendCommand(TokenDevice device, const std::uint8_t (&command)[5]);

  Services s_;
};

}  // namespace tessaly::ravelin
