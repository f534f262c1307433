// The stand-in of the provider "Watchdata CSP v3.3" that Watchdata's middleware installs:
// a cryptographic service provider library with the entry points the system's CryptoAPI
// calls, registered under the genuine provider's name by the tests. Its key work (key sets,
// key pairs, hashes, signatures) is forwarded to the system's own RSA provider; what that
// provider refuses and a smart-card provider does, keeping a certificate with a key pair
// (KP_CERTIFICATE), it does itself, so that a test can read the certificate back.
//
// The handles it gives the system: a provider handle is its own context; key and hash
// handles are those of the system's provider, passed through unchanged.
#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "adapters/ravelin/standin/provider/KeyCertificateStore.h"
#include "platform/win32/CertificateHandles.h"

using tessaly::ravelin::standin::KeyCertificateStore;

namespace {

constexpr char kForwardedProvider[] = MS_ENHANCED_PROV_A;
constexpr std::size_t kMaxCertificateBytes = 16384;

struct ProviderContext {
  HCRYPTPROV forwarded = 0;
  std::string container;  // empty for a verification context
};

ProviderContext& Context(HCRYPTPROV provider) { return *reinterpret_cast<ProviderContext*>(provider); }

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// The key pair a key handle stands for, from its algorithm: only the two of a container
// carry certificates.
std::optional<DWORD> KeySpecOf(HCRYPTKEY key) {
  ALG_ID algorithm = 0;
  DWORD size = sizeof algorithm;
  if (!CryptGetKeyParam(key, KP_ALGID, reinterpret_cast<BYTE*>(&algorithm), &size, 0)) {
    return std::nullopt;
  }
  if (algorithm == CALG_RSA_SIGN) {
    return AT_SIGNATURE;
  }
  if (algorithm == CALG_RSA_KEYX) {
    return AT_KEYEXCHANGE;
  }
  return std::nullopt;
}

// KP_CERTIFICATE passes a DER certificate without its length: the DER header states it.
std::optional<std::vector<BYTE>> CertificateBytes(const BYTE* der) {
  if (der == nullptr || der[0] != 0x30) {
    return std::nullopt;
  }
  std::size_t header = 2;
  std::size_t content = der[1];
  if (der[1] == 0x81) {
    header = 3;
    content = der[2];
  } else if (der[1] == 0x82) {
    header = 4;
    content = static_cast<std::size_t>(der[2]) << 8 | der[3];
  } else if (der[1] > 0x80) {
    return std::nullopt;
  }
  if (header + content > kMaxCertificateBytes) {
    return std::nullopt;
  }
  std::vector<BYTE> bytes(der, der + header + content);
  const tessaly::win32::unique_cert_context certificate(
      CertCreateCertificateContext(X509_ASN_ENCODING, bytes.data(), static_cast<DWORD>(bytes.size())));
  if (!certificate) {
    return std::nullopt;
  }
  return bytes;
}

BOOL SetCertificate(const ProviderContext& context, HCRYPTKEY key, const BYTE* data) {
  const std::optional<DWORD> keySpec = KeySpecOf(key);
  if (!keySpec || context.container.empty()) {
    return Fail(static_cast<DWORD>(NTE_BAD_KEY));
  }
  // Whether the certificate belongs to the key pair is the caller's to check, as with the
  // genuine provider: the stand-in stores what it is given.
  const std::optional<std::vector<BYTE>> der = CertificateBytes(data);
  if (!der) {
    return Fail(static_cast<DWORD>(NTE_BAD_DATA));
  }
  return KeyCertificateStore::Store(context.container, *keySpec, *der) ? TRUE : Fail(static_cast<DWORD>(NTE_FAIL));
}

BOOL GetCertificate(const ProviderContext& context, HCRYPTKEY key, BYTE* data, DWORD* size) {
  const std::optional<DWORD> keySpec = KeySpecOf(key);
  const std::optional<std::vector<BYTE>> der =
      keySpec && !context.container.empty() ? KeyCertificateStore::Read(context.container, *keySpec)
                                            : std::nullopt;
  if (!der) {
    return Fail(static_cast<DWORD>(SCARD_E_NO_SUCH_CERTIFICATE));
  }
  const DWORD needed = static_cast<DWORD>(der->size());
  const DWORD room = *size;
  *size = needed;
  if (data == nullptr) {
    return TRUE;
  }
  if (room < needed) {
    return Fail(ERROR_MORE_DATA);
  }
  std::copy(der->begin(), der->end(), data);
  return TRUE;
}

std::string ContainerOf(HCRYPTPROV forwarded) {
  char name[MAX_PATH] = {};
  DWORD size = sizeof name;
  if (!CryptGetProvParam(forwarded, PP_CONTAINER, reinterpret_cast<BYTE*>(name), &size, 0)) {
    return "";
  }
  return std::string(name, strnlen(name, sizeof name));
}

}  // namespace

extern "C" {

BOOL WINAPI CPAcquireContext(HCRYPTPROV* provider, LPCSTR container, DWORD flags, void* /*table*/) {
  HCRYPTPROV forwarded = 0;
  if (!CryptAcquireContextA(&forwarded, container, kForwardedProvider, PROV_RSA_FULL, flags)) {
    return FALSE;
  }
  if ((flags & CRYPT_DELETEKEYSET) != 0) {
    if (container != nullptr && container[0] != '\0') {
      KeyCertificateStore::Forget(container);
    }
    return TRUE;
  }
  auto* context = new ProviderContext{forwarded, ""};
  if ((flags & CRYPT_VERIFYCONTEXT) == 0) {
    context->container = ContainerOf(forwarded);
  }
  *provider = reinterpret_cast<HCRYPTPROV>(context);
  return TRUE;
}

BOOL WINAPI CPReleaseContext(HCRYPTPROV provider, DWORD flags) {
  const ProviderContext* context = &Context(provider);
  const BOOL released = CryptReleaseContext(context->forwarded, flags);
  delete context;
  return released;
}

BOOL WINAPI CPGenKey(HCRYPTPROV provider, ALG_ID algorithm, DWORD flags, HCRYPTKEY* key) {
  return CryptGenKey(Context(provider).forwarded, algorithm, flags, key);
}

BOOL WINAPI CPDeriveKey(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTHASH hash, DWORD flags, HCRYPTKEY* key) {
  return CryptDeriveKey(Context(provider).forwarded, algorithm, hash, flags, key);
}

BOOL WINAPI CPDestroyKey(HCRYPTPROV, HCRYPTKEY key) { return CryptDestroyKey(key); }

BOOL WINAPI CPSetKeyParam(HCRYPTPROV provider, HCRYPTKEY key, DWORD parameter, const BYTE* data, DWORD flags) {
  if (parameter == KP_CERTIFICATE) {
    return SetCertificate(Context(provider), key, data);
  }
  return CryptSetKeyParam(key, parameter, data, flags);
}

BOOL WINAPI CPGetKeyParam(HCRYPTPROV provider, HCRYPTKEY key, DWORD parameter, BYTE* data, DWORD* size,
                          DWORD flags) {
  if (parameter == KP_CERTIFICATE) {
    return GetCertificate(Context(provider), key, data, size);
  }
  return CryptGetKeyParam(key, parameter, data, size, flags);
}

BOOL WINAPI CPSetProvParam(HCRYPTPROV provider, DWORD parameter, const BYTE* data, DWORD flags) {
  return CryptSetProvParam(Context(provider).forwarded, parameter, data, flags);
}

BOOL WINAPI CPGetProvParam(HCRYPTPROV provider, DWORD parameter, BYTE* data, DWORD* size, DWORD flags) {
  return CryptGetProvParam(Context(provider).forwarded, parameter, data, size, flags);
}

BOOL WINAPI CPSetHashParam(HCRYPTPROV, HCRYPTHASH hash, DWORD parameter, const BYTE* data, DWORD flags) {
  return CryptSetHashParam(hash, parameter, data, flags);
}

BOOL WINAPI CPGetHashParam(HCRYPTPROV, HCRYPTHASH hash, DWORD parameter, BYTE* data, DWORD* size, DWORD flags) {
  return CryptGetHashParam(hash, parameter, data, size, flags);
}

BOOL WINAPI CPExportKey(HCRYPTPROV, HCRYPTKEY key, HCRYPTKEY exchangeKey, DWORD blobType, DWORD flags,
                        BYTE* data, DWORD* size) {
  return CryptExportKey(key, exchangeKey, blobType, flags, data, size);
}

BOOL WINAPI CPImportKey(HCRYPTPROV provider, const BYTE* data, DWORD size, HCRYPTKEY exchangeKey, DWORD flags,
                        HCRYPTKEY* key) {
  return CryptImportKey(Context(provider).forwarded, data, size, exchangeKey, flags, key);
}

BOOL WINAPI CPEncrypt(HCRYPTPROV, HCRYPTKEY key, HCRYPTHASH hash, BOOL final, DWORD flags, BYTE* data,
                      DWORD* size, DWORD capacity) {
  return CryptEncrypt(key, hash, final, flags, data, size, capacity);
}

BOOL WINAPI CPDecrypt(HCRYPTPROV, HCRYPTKEY key, HCRYPTHASH hash, BOOL final, DWORD flags, BYTE* data,
                      DWORD* size) {
  return CryptDecrypt(key, hash, final, flags, data, size);
}

BOOL WINAPI CPCreateHash(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTKEY key, DWORD flags, HCRYPTHASH* hash) {
  return CryptCreateHash(Context(provider).forwarded, algorithm, key, flags, hash);
}

BOOL WINAPI CPHashData(HCRYPTPROV, HCRYPTHASH hash, const BYTE* data, DWORD size, DWORD flags) {
  return CryptHashData(hash, data, size, flags);
}

BOOL WINAPI CPHashSessionKey(HCRYPTPROV, HCRYPTHASH hash, HCRYPTKEY key, DWORD flags) {
  return CryptHashSessionKey(hash, key, flags);
}

BOOL WINAPI CPSignHash(HCRYPTPROV, HCRYPTHASH hash, DWORD keySpec, LPCWSTR description, DWORD flags,
                       BYTE* signature, DWORD* size) {
  return CryptSignHashW(hash, keySpec, description, flags, signature, size);
}

BOOL WINAPI CPDestroyHash(HCRYPTPROV, HCRYPTHASH hash) { return CryptDestroyHash(hash); }

BOOL WINAPI CPVerifySignature(HCRYPTPROV, HCRYPTHASH hash, const BYTE* signature, DWORD size,
                              HCRYPTKEY publicKey, LPCWSTR description, DWORD flags) {
  return CryptVerifySignatureW(hash, signature, size, publicKey, description, flags);
}

BOOL WINAPI CPGenRandom(HCRYPTPROV provider, DWORD size, BYTE* buffer) {
  return CryptGenRandom(Context(provider).forwarded, size, buffer);
}

BOOL WINAPI CPGetUserKey(HCRYPTPROV provider, DWORD keySpec, HCRYPTKEY* key) {
  return CryptGetUserKey(Context(provider).forwarded, keySpec, key);
}

BOOL WINAPI CPDuplicateHash(HCRYPTPROV, HCRYPTHASH hash, DWORD* reserved, DWORD flags, HCRYPTHASH* copy) {
  return CryptDuplicateHash(hash, reserved, flags, copy);
}

BOOL WINAPI CPDuplicateKey(HCRYPTPROV, HCRYPTKEY key, DWORD* reserved, DWORD flags, HCRYPTKEY* copy) {
  return CryptDuplicateKey(key, reserved, flags, copy);
}

}  // extern "C"
