#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/CertificateStores.h"

namespace tessaly {

// A certificate as the fake stores know it. The fake cannot parse DER: a test names
// the encoding it stands for (`der`) and tells the fake about it (Know), and only known
// encodings make certificates.
struct FakeCertificateData {
  std::string der;
  // Subject attributes (object identifier, value) in the order of the subject.
  std::vector<std::pair<std::string, std::string>> subject;
  std::string issuer;
  std::string serial;
  // Stands for the validity start: the add-newer disposition compares it.
  int issued = 0;
};

enum class FakeAddKind { EncodedReplacingExisting, UnlessNewerPresent };

struct FakeAddAttempt {
  std::string store;
  std::string der;
  FakeAddKind kind;
  bool added;
  bool operator==(const FakeAddAttempt&) const = default;
};

// The current user's certificate stores in memory. Models the failures of the real
// ones: a store that cannot be opened, a store that refuses additions, bytes that are not
// a certificate, text that decodes to too many bytes. Records every subject search and
// every add attempt, and counts the stores that are open right now.
class FakeCertificateStores final : public CertificateStores {
 public:
  void Know(const FakeCertificateData& certificate) { known_[certificate.der] = certificate; }
  // Puts a known certificate at the end of store `name`.
  void Place(const std::string& name, const std::string& der) { stores[name].push_back(known_.at(der)); }
  std::vector<std::string> EncodingsIn(const std::string& name) const;

  std::unique_ptr<CertificateStore> OpenCurrentUserSystemStore(std::string_view name) override;
  std::unique_ptr<Certificate> MakeCertificate(std::string_view der) override;
  std::optional<std::string> DecodeCertificateText(std::string_view text, std::size_t maxBytes) override;

  std::map<std::string, std::vector<FakeCertificateData>, std::less<>> stores;
  std::set<std::string, std::less<>> unopenable;
  std::set<std::string, std::less<>> refusingAdds;
  // Stores whose encoded adds the user declines at the system's confirmation.
  std::set<std::string, std::less<>> decliningAdds;

  std::vector<std::pair<std::string, std::string>> searches;  // (store, text)
  std::vector<FakeAddAttempt> adds;
  int openStores = 0;

 private:
  class Store;
  std::map<std::string, FakeCertificateData, std::less<>> known_;
};

// Base64 of `bytes` wrapped in "-----BEGIN CERTIFICATE-----" lines, as certificate
// files carry it.
std::string PemText(std::string_view bytes);

}  // namespace tessaly
