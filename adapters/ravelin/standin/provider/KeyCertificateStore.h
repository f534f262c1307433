#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <optional>
#include <string>
#include <vector>

namespace tessaly::ravelin::standin {

// Where the stand-in provider keeps the certificate set on a key (KP_CERTIFICATE): the
// genuine provider writes it onto the key itself; the stand-in writes it under the current
// user's registry, one value per container and key pair, so that it outlives the provider
// handle and the provider library, as a certificate on a key outlives the program.
class KeyCertificateStore {
 public:
  static bool Store(const std::string& container, DWORD keySpec, const std::vector<BYTE>& der);
  static std::optional<std::vector<BYTE>> Read(const std::string& container, DWORD keySpec);
  static void Forget(const std::string& container);

  static constexpr char kRegistryKey[] = "Software\\Tessaly\\Stand-in Watchdata CSP";
};

}  // namespace tessaly::ravelin::standin
