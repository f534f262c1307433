#include "adapters/ravelin/RavelinAdapter.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "adapters/keyadapter/KeyAdapter.h"
#include "adapters/ravelin/CertificateWalk.h"
#include "adapters/ravelin/TokenSession.h"

namespace tessaly::ravelin {

using keyadapter::kFailure;
using keyadapter::kSuccess;

std::int32_t RavelinAdapter::GetKeyCount(std::int32_t* count) {
  if (count == nullptr) {
    return kFailure;
  }
  TokenSession session(s_.tokens, s_.lock);
  switch (session.Begin()) {
    case TokenSession::Start::LockFailed:
      return kFailure;
    case TokenSession::Start::ContextFailed:
      *count = 0;
      return kFailure;
    case TokenSession::Start::Ok:
      break;
  }
  if (!session.ReadSlotList()) {
    *count = 0;
    return kFailure;
  }
  *count = static_cast<std::int32_t>(session.Slots().size());
  return kSuccess;
}

std::int32_t RavelinAdapter::GetKeySN(char* serials) {
  if (serials == nullptr) {
    return kFailure;
  }
  TokenSession session(s_.tokens, s_.lock);
  if (session.Begin() != TokenSession::Start::Ok || !session.ReadSlotList()) {
    return kFailure;
  }
  std::size_t position = 0;
  bool copied = false;
  for (const std::uint32_t slot : session.Slots()) {
    if (!session.OpenDevice(slot)) {
      continue;
    }
    const std::optional<std::string> serial = session.ReadSerial();
    session.CloseDevice();
    // An empty text: no serial. Serials are compared as texts, so one starting with a zero
    // byte counts as empty too.
    if (!serial || serial->empty() || (*serial)[0] == '\0') {
      continue;
    }
    if (position + serial->size() + 1 > keyadapter::kSerialListBytes) {
      break;
    }
    std::memcpy(serials + position, serial->data(), serial->size());
    serials[position + serial->size()] = '\0';
    position += serial->size();
    copied = true;
  }
  serials[position] = '\0';
  return copied ? kSuccess : kFailure;
}

std::int32_t RavelinAdapter::GetCertCN(const char* serial, char* names) {
  if (serial == nullptr || names == nullptr) {
    return kFailure;
  }
  TokenSession session(s_.tokens, s_.lock);
  if (session.Begin() != TokenSession::Start::Ok || !session.ReadSlotListOfAKey() ||
      !session.OpenKeyBySerial(serial)) {
    return kFailure;
  }
  std::size_t position = 0;
  bool overflow = false;
  WalkCertificates(s_.tokens, *session.Device(), s_.middleware.IsOldMiddleware(),
                   [&](std::span<const std::uint8_t> der) {
                     const std::optional<KeyCertificate> certificate = s_.certificates.Read(der);
                     if (!certificate) {
                       return true;
                     }
                     const std::string& name = certificate->commonName;
                     // The name, its NUL and room for the list's closing NUL.
                     if (position + name.size() + 2 > keyadapter::kCertNameListBytes) {
                       overflow = true;
                       return false;
                     }
                     std::memcpy(names + position, name.c_str(), name.size() + 1);
                     position += name.size() + 1;
                     return true;
                   });
  if (overflow || position == 0 || names[0] == '\0') {
    return kFailure;
  }
  names[position] = '\0';
  return kSuccess;
}

std::optional<KeyCertificate> RavelinAdapter::FindCertificateByName(TokenDevice device,
                                                                    const char* name) {
  std::optional<KeyCertificate> found;
  WalkCertificates(s_.tokens, device, s_.middleware.IsOldMiddleware(),
                   [&](std::span<const std::uint8_t> der) {
                     std::optional<KeyCertificate> certificate = s_.certificates.Read(der);
                     if (certificate && certificate->commonName == name) {
                       found = std::move(certificate);
                       return false;
                     }
                     return true;
                   });
  return found;
}

std::int32_t RavelinAdapter::WriteCertificateField(const char* name, char* out,
                                                   CertificateField field) {
  if (name == nullptr || out == nullptr) {
    return kFailure;
  }
  TokenSession session(s_.tokens, s_.lock);
  if (session.Begin() != TokenSession::Start::Ok || !session.ReadSlotListOfAKey() ||
      !session.OpenKeyBySerial(name)) {
    return kFailure;
  }
  const std::optional<KeyCertificate> certificate = FindCertificateByName(*session.Device(), name);
  if (!certificate) {
    return kSuccess;
  }
  if (field == CertificateField::Issuer) {
    if (!certificate->issuer.empty() && certificate->issuer.size() < keyadapter::kIssuerBytes) {
      std::memcpy(out, certificate->issuer.c_str(), certificate->issuer.size() + 1);
    }
    return kSuccess;
  }
  const std::int64_t moment =
      field == CertificateField::NotBefore ? certificate->notBefore : certificate->notAfter;
  if (const std::optional<LocalDateTime> local = s_.clock.ToLocal(moment)) {
    char date[keyadapter::kDateBytes] = {};
    const int length =
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", local->year, local->month, local->day);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof date) {
      std::memcpy(out, date, static_cast<std::size_t>(length) + 1);
    }
  }
  return kSuccess;
}

std::int32_t RavelinAdapter::GetCertNotBefore(const char* name, char* date) {
  return WriteCertificateField(name, date, CertificateField::NotBefore);
}

std::int32_t RavelinAdapter::GetCertNotAfter(const char* name, char* date) {
  return WriteCertificateField(name, date, CertificateField::NotAfter);
}

std::int32_t RavelinAdapter::GetCertIssuer(const char* name, char* issuer) {
  return WriteCertificateField(name, issuer, CertificateField::Issuer);
}

std::int32_t RavelinAdapter::GetFactoryName(char* name) {
  if (name == nullptr) {
    return kFailure;
  }
  static constexpr char kFactory[] = "Watchdata";
  static_assert(sizeof kFactory <= keyadapter::kFactoryNameBytes);
  std::memcpy(name, kFactory, sizeof kFactory);
  return kSuccess;
}

std::int32_t RavelinAdapter::GetSoftwareVersion(char* version) {
  if (version == nullptr) {
    return kFailure;
  }
  std::memset(version, 0, keyadapter::kSoftwareVersionBytes);
  if (const std::optional<std::string> installed = s_.middleware.ReadInstalledVersion();
      installed && installed->size() < keyadapter::kSoftwareVersionBytes) {
    std::memcpy(version, installed->data(), installed->size());
  }
  return kSuccess;
}

}  // namespace tessaly::ravelin
