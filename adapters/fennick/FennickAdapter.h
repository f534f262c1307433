#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "adapters/fennick/Pkcs11Layer.h"
#include "platform/CertificateDecoder.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"

namespace tessaly::fennick {

struct SlotListTrace;

// The eight common KeyAdapter exports over PKCS#11, each with the arguments and results of
// the contract (adapters/keyadapter/KeyAdapter.h). Out buffers are the contract's minimum
// sizes and nothing is written past them: what does not fit is left out whole (a serial or
// a name is never cut to fit), and a common name is cut to kMaxCommonNameBytes.
// Every step writes its trace line to the debug output.
class FennickAdapter {
 public:
  FennickAdapter(Pkcs11Layer& layer, const CertificateDecoder& certificates, const Clock& clock,
                 const DebugOutput& trace);

  std::int32_t CheckKeyEnv(std::int32_t* code);
  std::int32_t GetKeyCount(std::int32_t* count);
  std::int32_t GetKeySN(char* out);
  std::int32_t GetCertCN(const char* serial, char* out);
  std::int32_t GetCertNotBefore(const char* name, char* out);
  std::int32_t GetCertNotAfter(const char* name, char* out);
  std::int32_t GetPinRetryTimes(const char* serial);
  std::int32_t DefaultPINFlg(const char* serial);

 private:
  struct Token {
    CK_SLOT_ID slot;
    CK_TOKEN_INFO info;
  };
  // Visits a certificate's subject text and validity; answers true to end the walk.
  using CertificateVisitor = std::function<bool(const DecodedCertificate&)>;

  std::optional<std::vector<CK_SLOT_ID>> ReadSlots(std::size_t capacity,
                                                   const SlotListTrace& messages);
  std::optional<std::vector<Token>> ReadTokens();
  std::optional<Token> TokenWithSerial(const char* serial, const char* failedMessage,
                                       const char* noMatchMessage, std::size_t capacity,
                                       const SlotListTrace& messages);
  // The key the two PIN queries address: a non-null serial, the function list, and a token
  // of that serial among the slots the PIN queries read.
  std::optional<Token> PinQueryToken(const char* serial);
  bool WalkCertificates(CK_SLOT_ID slot, const CertificateVisitor& visit);
  std::optional<std::vector<unsigned char>> ReadValue(CK_SESSION_HANDLE session,
                                                      CK_OBJECT_HANDLE object);
  std::int32_t CertificateDate(const char* name, char* out, bool notAfter);
  void Trace(const char* line) const;

  Pkcs11Layer& layer_;
  const CertificateDecoder& certificates_;
  const Clock& clock_;
  const DebugOutput& trace_;
};

// The longest common name GetCertCN passes on, in bytes.
inline constexpr std::size_t kMaxCommonNameBytes = 99;
// The longest subject text a certificate's name is looked for in, in characters.
inline constexpr std::size_t kMaxSubjectChars = 398;

// The common name in a subject text: everything after the first "CN=", or without "CN="
// the text without its first two characters; at most kMaxCommonNameBytes.
std::string CommonNameOf(std::string_view subject);

}  // namespace tessaly::fennick
