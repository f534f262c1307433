#include "adapters/ravelin/ExternalAuthKey.h"

// MD4 exists only in OpenSSL 3's legacy provider through EVP; the one-shot function works
// without providers, which a library loaded into someone else's process cannot rely on.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/md4.h>
#include <openssl/md5.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace tessaly::ravelin {
namespace {

constexpr std::size_t kWorkLength = 256;  // N
constexpr std::size_t kMinResetAnswer = 8;
constexpr std::size_t kMaxResetAnswer = 64;
constexpr std::size_t kBlock = 8;

using Work = std::array<std::uint8_t, kWorkLength>;
using DesKey = std::array<std::uint8_t, 16>;

struct CipherContextFree {
  void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

// Two-key Triple-DES in the encrypting direction, no padding, over whole blocks in place.
bool TripleDesEncrypt(const EVP_CIPHER* mode, const DesKey& key, const std::uint8_t* iv,
                      std::span<std::uint8_t> data) {
  std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> context(EVP_CIPHER_CTX_new());
  if (!context || data.size() % kBlock != 0 ||
      EVP_EncryptInit_ex(context.get(), mode, nullptr, key.data(), iv) != 1 ||
      EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) {
    return false;
  }
  int written = 0;
  int finalWritten = 0;
  if (EVP_EncryptUpdate(context.get(), data.data(), &written, data.data(),
                        static_cast<int>(data.size())) != 1 ||
      EVP_EncryptFinal_ex(context.get(), data.data() + written, &finalWritten) != 1) {
    return false;
  }
  return static_cast<std::size_t>(written + finalWritten) == data.size();
}

Work ShuffledResetAnswer(std::span<const std::uint8_t> r) {
  Work s{};
  for (std::size_t i = 0; i < kWorkLength; ++i) {
    s[i] = r[i % r.size()];
  }
  std::size_t j = 0;
  for (std::size_t i = 0; i < kWorkLength; ++i) {
    j = (j + i + s[i]) % kWorkLength;
    std::swap(s[i], s[j]);
  }
  return s;
}

}  // namespace

std::optional<ExternalAuthKey> DeriveExternalAuthKey(std::span<const std::uint8_t> r,
                                                     const IssuerConstants& constants) {
  // The library lives in whoever loads it and may be unloaded long before that process
  // ends: OpenSSL must not leave a clean-up handler behind in the process's exit list.
  OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
  const std::size_t length = r.size();
  if (length < kMinResetAnswer || length > kMaxResetAnswer) {
    return std::nullopt;
  }
  DesKey keyA{};
  for (std::size_t i = 0; i < keyA.size(); ++i) {
    keyA[i] = constants.a[3 * i];
  }
  DesKey keyB{};
  for (std::size_t i = 0; i < keyB.size(); ++i) {
    keyB[i] = constants.g[i] ^ constants.c[i];
  }

  Work s = ShuffledResetAnswer(r);

  std::array<std::uint8_t, 16> m{};
  std::copy_n(s.begin() + 16, m.size(), m.begin());
  if (!TripleDesEncrypt(EVP_des_ede_ecb(), keyA, nullptr, m)) {
    return std::nullopt;
  }

  std::array<std::uint8_t, kMaxResetAnswer> b{};
  std::copy(r.begin(), r.end(), b.begin());
  for (std::size_t i = 0; i < std::min<std::size_t>(length, 16); ++i) {
    b[i] ^= m[i];
  }

  Work t{};
  for (std::size_t i = 0; i < kWorkLength; ++i) {
    const std::size_t index = (constants.c[i % 16] * (i + 1)) % length;
    t[i] = b[index] ^ constants.p[i % constants.p.size()];
  }
  if (!TripleDesEncrypt(EVP_des_ede_ecb(), keyB, nullptr, t)) {
    return std::nullopt;
  }

  std::array<std::uint8_t, MD4_DIGEST_LENGTH> h{};
  MD4(t.data(), t.size(), h.data());
  if (!TripleDesEncrypt(EVP_des_ede_cbc(), keyB, h.data(), t)) {
    return std::nullopt;
  }

  DesKey key2{};
  MD5(s.data(), s.size(), key2.data());
  if (!TripleDesEncrypt(EVP_des_ede_cbc(), key2, constants.g.data(), t)) {
    return std::nullopt;
  }

  ExternalAuthKey result{};
  std::copy_n(t.begin() + (kWorkLength - 32), result.size(), result.begin());
  return result;
}

}  // namespace tessaly::ravelin
