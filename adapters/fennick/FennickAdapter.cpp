#include "adapters/fennick/FennickAdapter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "adapters/keyadapter/KeyAdapter.h"

namespace tessaly::fennick {
namespace {

using keyadapter::kCertNameListBytes;
using keyadapter::kDateBytes;
using keyadapter::kFailure;
using keyadapter::kSerialListBytes;
using keyadapter::kSuccess;

constexpr std::int32_t kCannotRead = -1;
constexpr std::size_t kSerialBytes = sizeof(CK_TOKEN_INFO{}.serialNumber);
static_assert(kSerialBytes == keyadapter::kMaxSerialBytes);

// No PC has more keys than this; a library claiming more is not believed.
constexpr std::size_t kMostSlots = 1024;
// The PIN queries look at the first 16 keys only.
constexpr std::size_t kPinQuerySlots = 16;
// A certificate larger than this is no certificate of a key.
constexpr CK_ULONG kMostCertificateBytes = 64 * 1024;

// A key matches a text whose first 16 bytes are its serial.
bool SerialMatches(const CK_TOKEN_INFO& info, const char* text) {
  return std::strncmp(text, reinterpret_cast<const char*>(info.serialNumber), kSerialBytes) == 0;
}

// The session a certificate walk opens, with its search: both are ended on every way out.
class CertificateSearch {
 public:
  CertificateSearch(CK_FUNCTION_LIST& functions, CK_SESSION_HANDLE session)
      : functions_(functions), session_(session) {}
  ~CertificateSearch() {
    if (searching_) {
      functions_.C_FindObjectsFinal(session_);
    }
    if (open_) {
      functions_.C_CloseSession(session_);
    }
  }
  CertificateSearch(const CertificateSearch&) = delete;
  CertificateSearch& operator=(const CertificateSearch&) = delete;

  void Searching() { searching_ = true; }
  CK_RV FinishSearch() {
    searching_ = false;
    return functions_.C_FindObjectsFinal(session_);
  }
  CK_RV Close() {
    open_ = false;
    return functions_.C_CloseSession(session_);
  }

 private:
  CK_FUNCTION_LIST& functions_;
  CK_SESSION_HANDLE session_;
  bool open_ = true;
  bool searching_ = false;
};

// "%d-%d-%d" of the local date of `moment`; nothing when it cannot be converted or would
// not fit the caller's 12 bytes.
std::optional<std::array<char, kDateBytes>> DateText(std::int64_t moment, const Clock& clock) {
  const std::optional<LocalDateTime> local = clock.ToLocal(moment);
  if (!local) {
    return std::nullopt;
  }
  std::array<char, kDateBytes> text{};
  const int written =
      std::snprintf(text.data(), text.size(), "%d-%d-%d", local->year, local->month, local->day);
  if (written < 0 || static_cast<std::size_t>(written) >= text.size()) {
    return std::nullopt;
  }
  return text;
}

}  // namespace

// The trace lines of one caller's slot-list reading; a null line is not written.
struct SlotListTrace {
  const char* beforeCount = nullptr;
  const char* countFailed = nullptr;
  const char* afterCount = nullptr;
  const char* noSlot = nullptr;
  const char* beforeList = nullptr;
  const char* listFailed = nullptr;
  const char* afterList = nullptr;
};

namespace {

constexpr SlotListTrace kSerialTrace{
    "before C_GetSlotList", "err: C_GetSlotList null failed", "after C_GetSlotList",
    "err: 0 == slotIdNum",  "before C_GetSlotList 2",         "err: C_GetSlotList failed",
    "after C_GetSlotList 2"};
constexpr SlotListTrace kCertificateTrace{
    nullptr, "C_GetSlotList null failed", nullptr, "C_GetSlotList 0 == slotNum",
    nullptr, "C_GetSlotList ture failed", nullptr};
constexpr SlotListTrace kSilent{};

}  // namespace

std::string CommonNameOf(std::string_view subject) {
  const std::size_t marker = subject.find("CN=");
  const std::string_view name = marker != std::string_view::npos ? subject.substr(marker + 3)
                                : subject.size() > 2           ? subject.substr(2)
                                                               : std::string_view();
  return std::string(name.substr(0, kMaxCommonNameBytes));
}

FennickAdapter::FennickAdapter(Pkcs11Layer& layer, const CertificateDecoder& certificates,
                               const Clock& clock, const DebugOutput& trace)
    : layer_(layer), certificates_(certificates), clock_(clock), trace_(trace) {}

void FennickAdapter::Trace(const char* line) const {
  if (line != nullptr) {
    trace_.Write(line);
  }
}

std::optional<std::vector<CK_SLOT_ID>> FennickAdapter::ReadSlots(std::size_t capacity,
                                                                 const SlotListTrace& messages) {
  CK_FUNCTION_LIST& functions = layer_.Functions();
  CK_ULONG count = 0;
  Trace(messages.beforeCount);
  if (functions.C_GetSlotList(CK_TRUE, nullptr, &count) != CKR_OK) {
    Trace(messages.countFailed);
    return std::nullopt;
  }
  Trace(messages.afterCount);
  if (count == 0) {
    Trace(messages.noSlot);
    return std::vector<CK_SLOT_ID>{};
  }
  if (count > kMostSlots) {
    Trace(messages.countFailed);
    return std::nullopt;
  }
  std::vector<CK_SLOT_ID> slots(std::min<std::size_t>(count, capacity));
  CK_ULONG filled = static_cast<CK_ULONG>(slots.size());
  Trace(messages.beforeList);
  if (functions.C_GetSlotList(CK_TRUE, slots.data(), &filled) != CKR_OK) {
    Trace(messages.listFailed);
    return std::nullopt;
  }
  Trace(messages.afterList);
  slots.resize(std::min<std::size_t>(filled, slots.size()));
  return slots;
}

// The token information of every key, in slot order: what GetKeyCount and GetKeySN share.
std::optional<std::vector<FennickAdapter::Token>> FennickAdapter::ReadTokens() {
  Trace("fun in GetKeySN");
  Trace("before CheckPkcs11FuncList");
  if (!layer_.CheckPkcs11FuncList()) {
    Trace("err: CheckPkcs11FuncList failed");
    return std::nullopt;
  }
  Trace("after CheckPkcs11FuncList");
  const std::optional<std::vector<CK_SLOT_ID>> slots = ReadSlots(kMostSlots, kSerialTrace);
  if (!slots) {
    return std::nullopt;
  }
  std::vector<Token> tokens;
  for (const CK_SLOT_ID slot : *slots) {
    Token token{slot, {}};
    Trace("before C_GetTokenInfo");
    if (layer_.Functions().C_GetTokenInfo(slot, &token.info) != CKR_OK) {
      Trace("err: C_GetTokenInfo failed");
      return std::nullopt;
    }
    Trace("after C_GetTokenInfo");
    tokens.push_back(token);
  }
  Trace("fun GetKeysSN over");
  return tokens;
}

std::optional<FennickAdapter::Token> FennickAdapter::TokenWithSerial(
    const char* serial, const char* failedMessage, const char* noMatchMessage,
    std::size_t capacity, const SlotListTrace& messages) {
  const std::optional<std::vector<CK_SLOT_ID>> slots = ReadSlots(capacity, messages);
  if (!slots || slots->empty()) {
    return std::nullopt;
  }
  for (const CK_SLOT_ID slot : *slots) {
    Token token{slot, {}};
    if (layer_.Functions().C_GetTokenInfo(slot, &token.info) != CKR_OK) {
      Trace(failedMessage);
      return std::nullopt;
    }
    if (SerialMatches(token.info, serial)) {
      return token;
    }
  }
  Trace(noMatchMessage);
  return std::nullopt;
}

std::optional<std::vector<unsigned char>> FennickAdapter::ReadValue(CK_SESSION_HANDLE session,
                                                                    CK_OBJECT_HANDLE object) {
  CK_FUNCTION_LIST& functions = layer_.Functions();
  CK_ATTRIBUTE value{CKA_VALUE, nullptr, 0};
  if (functions.C_GetAttributeValue(session, object, &value, 1) != CKR_OK ||
      value.ulValueLen == CK_UNAVAILABLE_INFORMATION || value.ulValueLen > kMostCertificateBytes) {
    Trace("C_GetAttributeValue null failed");
    return std::nullopt;
  }
  Trace("C_GetAttributeValue null ok");
  std::vector<unsigned char> bytes(value.ulValueLen);
  value.pValue = bytes.data();
  if (functions.C_GetAttributeValue(session, object, &value, 1) != CKR_OK ||
      value.ulValueLen > bytes.size()) {
    Trace("C_GetAttributeValue failed");
    return std::nullopt;
  }
  Trace("C_GetAttributeValue ok");
  bytes.resize(value.ulValueLen);
  return bytes;
}

bool FennickAdapter::WalkCertificates(CK_SLOT_ID slot, const CertificateVisitor& visit) {
  CK_FUNCTION_LIST& functions = layer_.Functions();
  CK_SESSION_HANDLE session = 0;
  if (functions.C_OpenSession(slot, CKF_SERIAL_SESSION | CKF_RW_SESSION, nullptr, nullptr,
                              &session) != CKR_OK) {
    Trace("C_OpenSession failed");
    return false;
  }
  Trace("C_OpenSession ok");
  CertificateSearch search(functions, session);

  CK_OBJECT_CLASS certificateClass = CKO_CERTIFICATE;
  CK_BBOOL onToken = CK_TRUE;
  std::array<CK_ATTRIBUTE, 2> searchTemplate{
      CK_ATTRIBUTE{CKA_CLASS, &certificateClass, CK_ULONG{sizeof(certificateClass)}},
      CK_ATTRIBUTE{CKA_TOKEN, &onToken, CK_ULONG{sizeof(onToken)}}};
  if (functions.C_FindObjectsInit(session, searchTemplate.data(),
                                  static_cast<CK_ULONG>(searchTemplate.size())) != CKR_OK) {
    Trace("C_FindObjectsInit failed");
    return false;
  }
  Trace("C_FindObjectsInit ok");
  search.Searching();

  for (;;) {
    CK_OBJECT_HANDLE object = 0;
    CK_ULONG found = 0;
    const CK_RV rv = functions.C_FindObjects(session, &object, 1, &found);
    std::array<char, 24> line{};
    std::snprintf(line.data(), line.size(), "rv = 0x%08lx", static_cast<unsigned long>(rv));
    Trace(line.data());
    if (rv != CKR_OK) {
      Trace("C_FindObjects failed");
      return false;
    }
    Trace("C_FindObjects ok");
    if (found == 0) {
      break;
    }
    const std::optional<std::vector<unsigned char>> der = ReadValue(session, object);
    if (!der) {
      return false;
    }
    std::optional<DecodedCertificate> certificate = certificates_.Decode(*der);
    if (!certificate) {
      return false;
    }
    if (certificate->subject.size() > kMaxSubjectChars) {
      certificate->subject.resize(kMaxSubjectChars);
    }
    if (visit(*certificate)) {
      break;
    }
  }

  if (search.FinishSearch() != CKR_OK) {
    return false;
  }
  if (search.Close() != CKR_OK) {
    Trace("C_CloseSession failed");
    return false;
  }
  return true;
}

std::int32_t FennickAdapter::CheckKeyEnv(std::int32_t* code) {
  if (code == nullptr || !layer_.CheckPkcs11FuncList()) {
    return kFailure;
  }
  const std::optional<std::vector<CK_SLOT_ID>> slots = ReadSlots(kMostSlots, kSilent);
  if (!slots || slots->empty()) {
    return kFailure;
  }
  const std::optional<int> tries = layer_.UserPinTriesLeft(slots->front());
  if (!tries) {
    return kFailure;
  }
  // The code tells whether the PIN is locked; the result that a key answered at all.
  *code = *tries == 0 ? 1 : 0;
  return kSuccess;
}

std::int32_t FennickAdapter::GetKeyCount(std::int32_t* count) {
  Trace("fun in GetKeyNumber");
  if (count == nullptr) {
    return kFailure;
  }
  const std::optional<std::vector<Token>> tokens = ReadTokens();
  *count = tokens ? static_cast<std::int32_t>(tokens->size()) : 0;
  return tokens ? kSuccess : kFailure;
}

std::int32_t FennickAdapter::GetKeySN(char* out) {
  Trace("fun->WINAPI GetKeySN");
  if (out == nullptr) {
    return kFailure;
  }
  const std::optional<std::vector<Token>> tokens = ReadTokens();
  if (!tokens || tokens->empty()) {
    return kFailure;
  }
  // 16 bytes a key, "|" between keys, and the NUL: keys beyond what fits are left out.
  std::string serials;
  for (const Token& token : *tokens) {
    const std::size_t separator = serials.empty() ? 0 : 1;
    if (serials.size() + separator + kSerialBytes + 1 > kSerialListBytes) {
      break;
    }
    if (separator != 0) {
      serials += '|';
    }
    serials.append(reinterpret_cast<const char*>(token.info.serialNumber), kSerialBytes);
  }
  std::memcpy(out, serials.c_str(), serials.size() + 1);
  return kSuccess;
}

std::int32_t FennickAdapter::GetCertCN(const char* serial, char* out) {
  Trace("fun in GetKeyCertSN");
  if (serial == nullptr || out == nullptr || !layer_.CheckPkcs11FuncList()) {
    return kFailure;
  }
  // The names are appended to what the caller's buffer holds, which must end inside it.
  const char* const bufferEnd = out + kCertNameListBytes;
  const char* const held = std::find(static_cast<const char*>(out), bufferEnd, '\0');
  if (held == bufferEnd) {
    return kFailure;
  }
  std::string names(static_cast<const char*>(out), held);

  const std::optional<Token> token =
      TokenWithSerial(serial, "C_GetTokenInfo failed", "not find the device with same serial number",
                      kMostSlots, kCertificateTrace);
  if (!token) {
    return kFailure;
  }
  bool full = false;
  const bool walked = WalkCertificates(token->slot, [&](const DecodedCertificate& certificate) {
    const std::string name = CommonNameOf(certificate.subject);
    const std::size_t separator = names.empty() ? 0 : 1;
    full = full || names.size() + separator + name.size() + 1 > kCertNameListBytes;
    if (!full) {
      names += separator != 0 ? "|" : "";
      names += name;
    }
    return false;
  });
  if (!walked) {
    return kFailure;
  }
  std::memcpy(out, names.c_str(), names.size() + 1);
  return kSuccess;
}

std::int32_t FennickAdapter::CertificateDate(const char* name, char* out, bool notAfter) {
  Trace(notAfter ? "fun in GetCertNotAfter" : "fun in GetCertNotBefore");
  if (name == nullptr || out == nullptr || !layer_.CheckPkcs11FuncList()) {
    return kFailure;
  }
  // Only the key in the first slot is searched, whatever key the name belongs to.
  const std::optional<std::vector<CK_SLOT_ID>> slots = ReadSlots(kMostSlots, kCertificateTrace);
  if (!slots || slots->empty()) {
    return kFailure;
  }
  std::optional<std::array<char, kDateBytes>> date;
  const bool walked = WalkCertificates(slots->front(), [&](const DecodedCertificate& certificate) {
    if (certificate.subject.find(name) == std::string::npos) {
      return false;
    }
    date = DateText(notAfter ? certificate.notAfter : certificate.notBefore, clock_);
    return true;
  });
  if (!walked) {
    return kFailure;
  }
  if (date) {
    std::memcpy(out, date->data(), date->size());
  }
  return kSuccess;
}

std::int32_t FennickAdapter::GetCertNotBefore(const char* name, char* out) {
  return CertificateDate(name, out, false);
}

std::int32_t FennickAdapter::GetCertNotAfter(const char* name, char* out) {
  return CertificateDate(name, out, true);
}

std::optional<FennickAdapter::Token> FennickAdapter::PinQueryToken(const char* serial) {
  if (serial == nullptr || !layer_.CheckPkcs11FuncList()) {
    return std::nullopt;
  }
  return TokenWithSerial(serial, "err: C_GetTokenInfo failed", nullptr, kPinQuerySlots, kSilent);
}

std::int32_t FennickAdapter::GetPinRetryTimes(const char* serial) {
  const std::optional<Token> token = PinQueryToken(serial);
  if (!token) {
    return kCannotRead;
  }
  return layer_.UserPinTriesLeft(token->slot).value_or(kCannotRead);
}

std::int32_t FennickAdapter::DefaultPINFlg(const char* serial) {
  const std::optional<Token> token = PinQueryToken(serial);
  if (!token) {
    return kCannotRead;
  }
  return (token->info.flags & CKF_USER_PIN_TO_BE_CHANGED) != 0 ? 1 : 0;
}

}  // namespace tessaly::fennick
