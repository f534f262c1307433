// CheckKeyEnv: the installed middleware, the one key, its device authentication and its
// certificates, summed into a reason code.
#include <array>

#include "adapters/keyadapter/KeyAdapter.h"
#include "adapters/ravelin/CertificateWalk.h"
#include "adapters/ravelin/ExternalAuthKey.h"
#include "adapters/ravelin/RavelinAdapter.h"
#include "adapters/ravelin/TokenSession.h"

namespace tessaly::ravelin {
namespace {

constexpr std::int32_t kMiddlewareIncomplete = 1;
constexpr std::int32_t kNoKeyReached = 2;
constexpr std::int32_t kDeviceAuthenticationFailed = 4;
constexpr std::int32_t kCertificateCheckFailed = 8;

constexpr std::uint32_t kMasterFile = 0x3F00;
constexpr std::int64_t kSecondsPerDay = 86400;

}  // namespace

bool RavelinAdapter::AuthenticateDevice(TokenDevice device) {
  std::array<std::uint8_t, kResetAnswerBytes> answer{};
  std::uint32_t length = kResetAnswerBytes;
  static_cast<void>(s_.tokens.Reset(device, answer.data(), &length));
  if (length > answer.size()) {
    return false;
  }
  std::array<std::uint8_t, 4> masterKeyType{};
  if (s_.tokens.SelectFileByID(device, kMasterFile) == 0 ||
      s_.tokens.GetTokenMasterKeyType(device, masterKeyType.data()) == 0) {
    return false;
  }
  const std::optional<ExternalAuthKey> key =
      DeriveExternalAuthKey(std::span<const std::uint8_t>(answer.data(), length));
  if (!key || s_.tokens.ExternAuth(device, 0, key->data(), static_cast<std::uint32_t>(key->size())) == 0) {
    return false;
  }
  return s_.tokens.Auth(device) == 0;
}

bool RavelinAdapter::CheckKeyCertificates(TokenDevice device) {
  bool visited = false;
  bool allPassed = true;
  const std::int64_t now = s_.clock.Now();
  WalkCertificates(s_.tokens, device, s_.middleware.IsOldMiddleware(),
                   [&](std::span<const std::uint8_t> der) {
                     visited = true;
                     if (const std::optional<KeyCertificate> certificate = s_.certificates.Read(der);
                         certificate && (certificate->notAfter - now) / kSecondsPerDay <= 0) {
                       allPassed = false;
                       return false;
                     }
                     // The chain is built for the length the DER header states; a header
                     // that claims more than was read fails rather than reading beyond.
                     const std::size_t stated =
                         der.size() < 4 ? 0 : 4 + ((std::size_t{der[2]} << 8) | der[3]);
                     const std::optional<std::uint32_t> status =
                         stated == 0 || stated > der.size()
                             ? std::nullopt
                             : s_.certificates.ChainErrorStatus(der.first(stated));
                     if (!status || (*status != 0 && *status != kChainNotTimeValid)) {
                       allPassed = false;
                       return false;
                     }
                     return true;
                   });
  return visited && allPassed;
}

std::int32_t RavelinAdapter::CheckKeyEnv(std::int32_t* code) {
  if (code == nullptr) {
    return keyadapter::kFailure;
  }
  *code = 0;
  if (!s_.middleware.CheckMiddlewareInstalled()) {
    *code += kMiddlewareIncomplete;
  }
  TokenSession session(s_.tokens, s_.lock);
  switch (session.Begin()) {
    case TokenSession::Start::LockFailed:
      return keyadapter::kFailure;
    case TokenSession::Start::ContextFailed:
      *code += kNoKeyReached;
      return keyadapter::kFailure;
    case TokenSession::Start::Ok:
      break;
  }
  if (!session.ReadSlotListOfAKey()) {
    *code += kNoKeyReached;
    return keyadapter::kFailure;
  }
  if (session.Slots().size() >= 2) {
    s_.messages.ShowNotice(kOneKeyOnlyText);
    return keyadapter::kFailure;
  }
  if (!session.OpenDevice(session.Slots()[0])) {
    *code += kNoKeyReached;
    return keyadapter::kFailure;
  }
  if (!AuthenticateDevice(*session.Device())) {
    *code += kDeviceAuthenticationFailed;
  }
  if (CheckKeyCertificates(*session.Device())) {
    return keyadapter::kSuccess;
  }
  *code += kCertificateCheckFailed;
  return keyadapter::kFailure;
}

}  // namespace tessaly::ravelin
