#include "adapters/ravelin/CertificateWalk.h"

#include <array>

namespace tessaly::ravelin {
namespace {

// The certificate of one key of a container, or an empty span when it has none (either
// call failing, or a length that does not fit the buffer).
std::span<const std::uint8_t> ReadContainerCertificate(
    TokenManager& tokens, TokenDevice device, TokenContainer container, KeySpec spec,
    bool oldMiddleware, std::array<std::uint8_t, kCertificateBytes>& buffer) {
  std::uint8_t keyByte = 0;
  std::uint32_t reference = 0;
  std::array<std::uint8_t, 4> work{};
  if (tokens.GetRSAKeyFromContainer(device, container, static_cast<std::uint32_t>(spec), &keyByte,
                                    &reference, oldMiddleware ? nullptr : work.data()) != 0) {
    return {};
  }
  std::uint32_t length = 0;
  if (tokens.ReadCert(device, reference, buffer.data(), &length) != 0) {
    return {};
  }
  const std::uint32_t derLength = length & 0xFFFF;
  if (derLength == 0 || derLength > buffer.size()) {
    return {};
  }
  return {buffer.data(), derLength};
}

}  // namespace

void WalkCertificates(TokenManager& tokens, TokenDevice device, bool oldMiddleware,
                      const std::function<bool(std::span<const std::uint8_t> der)>& visit) {
  std::array<std::uint8_t, kCertificateBytes> buffer{};
  for (int index = 0; index < kMaxContainers; ++index) {
    std::array<char, kContainerNameBytes> name{};
    if (tokens.EnumContainer(device, index == 0 ? 1 : 0, name.data()) != 0) {
      return;
    }
    name.back() = '\0';  // a name that fills the buffer is cut, not read beyond
    TokenContainer container = nullptr;
    if (tokens.OpenContainer(device, name.data(), &container) != 0) {
      continue;
    }
    for (const KeySpec spec : {KeySpec::Signature, KeySpec::Exchange}) {
      const std::span<const std::uint8_t> der =
          ReadContainerCertificate(tokens, device, container, spec, oldMiddleware, buffer);
      if (!der.empty() && !visit(der)) {
        return;
      }
    }
  }
}

}  // namespace tessaly::ravelin
