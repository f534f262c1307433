#pragma once

// The stand-in of the provider "Watchdata CSP v3.3" (adapters/ravelin/standin/provider),
// registered in this Windows as the Watchdata middleware registers the genuine one, and the
// certificate it keeps with a key pair read back through KP_CERTIFICATE.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::ravelin::testing {

inline constexpr char kWatchdataProvider[] = "Watchdata CSP v3.3";

// Registers the stand-in library built beside this program (standin\WDCSP03.dll) under the
// provider's name: its "Image Path", type PROV_RSA_FULL, and "SigInFile" 0, the entry of a
// provider whose signature is carried in its own file. Wine loads the library named there
// without verifying it (its advapi32 says "not verifying image"). False when the library
// is missing or the registry refuses the entry.
bool RegisterStandInProvider();

// The names of the provider's key containers.
std::vector<std::string> ProviderContainers();

// The certificate stored with the signature key pair whose public key info (DER) is the
// given one, in whichever of the provider's containers holds it; nothing when no container
// holds that key pair or none is stored with it.
std::optional<std::vector<std::uint8_t>> CertificateStoredWith(const std::vector<std::uint8_t>& publicKeyInfo);

}  // namespace tessaly::ravelin::testing
