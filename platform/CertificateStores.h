#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// Object identifiers of the subject attributes the certificate checks read.
inline constexpr std::string_view kOidCommonName = "2.5.4.3";
inline constexpr std::string_view kOidOrganization = "2.5.4.10";

// One X.509 certificate: made from encoded bytes, or found in a store. Freed when its
// owner goes away.
class Certificate {
 public:
  virtual ~Certificate() = default;
  // The first subject attribute with the object identifier `oid` as UTF-8 text; empty
  // when the subject has no such attribute.
  virtual std::string SubjectAttribute(std::string_view oid) const = 0;
  // True when both certificates have the same issuer and serial number, which is how
  // certificate stores tell one certificate from another. Certificates of different
  // platforms never compare equal.
  virtual bool HasSameIssuerAndSerial(const Certificate& other) const = 0;
};

enum class CertificateAddResult { Added, NotAdded, Declined };

// An open certificate store; closed when its owner goes away.
class CertificateStore {
 public:
  virtual ~CertificateStore() = default;
  // Calls `visit` for each certificate whose subject contains `text`, compared without
  // regard to case, in the store's order, until `visit` answers false. The certificate
  // is valid only during the call.
  virtual void ForEachWithSubject(std::string_view text,
                                  const std::function<bool(const Certificate&)>& visit) = 0;
  // Adds the encoded X.509 certificate, replacing an equal one already in the store.
  // NotAdded when the bytes are not a certificate or the store refuses it; Declined when
  // the user answered "No" to the system's own confirmation (adding to the current user's
  // ROOT store asks).
  virtual CertificateAddResult AddEncodedReplacingExisting(std::string_view der) = 0;
  // Adds a copy of `certificate` unless the store already holds the same certificate
  // issued at the same time or later. False when nothing was added.
  virtual bool AddUnlessNewerPresent(const Certificate& certificate) = 0;
};

// The certificate stores of the current user and the certificate helpers of the platform.
class CertificateStores {
 public:
  virtual ~CertificateStores() = default;
  // The current user's system store `name` ("ROOT", "CA"); null when it cannot be opened.
  virtual std::unique_ptr<CertificateStore> OpenCurrentUserSystemStore(std::string_view name) = 0;
  // A certificate of DER-encoded bytes; null when they are not one.
  virtual std::unique_ptr<Certificate> MakeCertificate(std::string_view der) = 0;
  // Decodes certificate text: Base64 between "-----BEGIN ...-----" header lines, bare
  // Base64, or else the raw bytes themselves. Nothing when decoding fails or the result
  // would exceed `maxBytes`.
  virtual std::optional<std::string> DecodeCertificateText(std::string_view text,
                                                           std::size_t maxBytes) = 0;
};

}  // namespace tessaly
