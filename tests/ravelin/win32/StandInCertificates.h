#pragma once

// Certificates for the stand-in keys, issued at test time by a throwaway OpenSSL CA that the
// test trusts in the current user's root store, so CryptoAPI chains them as it would a
// bank's.
#include <cstdint>
#include <string>
#include <vector>

namespace tessaly::ravelin::testing {

class StandInCertificateAuthority {
 public:
  StandInCertificateAuthority();
  ~StandInCertificateAuthority();
  StandInCertificateAuthority(const StandInCertificateAuthority&) = delete;
  StandInCertificateAuthority& operator=(const StandInCertificateAuthority&) = delete;

  // Adds the CA to the current user's ROOT store; false when the store refuses it.
  bool TrustInCurrentUserRoot() const;
  // A DER certificate with that common name, valid from a day ago for `secondsLeft` more.
  std::vector<std::uint8_t> Issue(const std::string& commonName, long secondsLeft) const;
  static constexpr const char* kName = "Tessaly Stand-in Key CA";

 private:
  struct Keys;
  Keys* keys_;
};

}  // namespace tessaly::ravelin::testing
