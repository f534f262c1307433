#include "tests/ravelin/win32/RequestInfoEncoder.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <optional>
#include <vector>

namespace tessaly::ravelin::testing {
namespace {

std::optional<std::vector<BYTE>> Encode(LPCSTR type, const void* info) {
  DWORD size = 0;
  if (!CryptEncodeObject(X509_ASN_ENCODING, type, info, nullptr, &size)) {
    return std::nullopt;
  }
  std::vector<BYTE> bytes(size);
  if (!CryptEncodeObject(X509_ASN_ENCODING, type, info, bytes.data(), &size)) {
    return std::nullopt;
  }
  bytes.resize(size);
  return bytes;
}

// CertificationRequestInfo ::= SEQUENCE { version INTEGER, subject Name,
//   subjectPKInfo SubjectPublicKeyInfo, attributes [0] IMPLICIT SET OF Attribute }
BOOL WINAPI EncodeRequestInfo(DWORD, LPCSTR, const void* info, BYTE* out, DWORD* size) {
  const auto* request = static_cast<const CERT_REQUEST_INFO*>(info);
  const LONG version = static_cast<LONG>(request->dwVersion);
  CRYPT_ATTRIBUTES attributes{request->cAttribute, request->rgAttribute};
  const std::optional<std::vector<BYTE>> versionBytes = Encode(X509_INTEGER, &version);
  const std::optional<std::vector<BYTE>> keyBytes = Encode(X509_PUBLIC_KEY_INFO, &request->SubjectPublicKeyInfo);
  std::optional<std::vector<BYTE>> attributeBytes = Encode(PKCS_ATTRIBUTES, &attributes);
  if (!versionBytes || !keyBytes || !attributeBytes) {
    return FALSE;
  }
  (*attributeBytes)[0] = 0xA0;  // the SET's tag becomes the implicit context tag [0]
  CRYPT_DER_BLOB parts[] = {{static_cast<DWORD>(versionBytes->size()), const_cast<BYTE*>(versionBytes->data())},
                            request->Subject,
                            {static_cast<DWORD>(keyBytes->size()), const_cast<BYTE*>(keyBytes->data())},
                            {static_cast<DWORD>(attributeBytes->size()), attributeBytes->data()}};
  CRYPT_SEQUENCE_OF_ANY sequence{4, parts};
  const std::optional<std::vector<BYTE>> encoded = Encode(X509_SEQUENCE_OF_ANY, &sequence);
  if (!encoded) {
    return FALSE;
  }
  const DWORD room = *size;
  *size = static_cast<DWORD>(encoded->size());
  if (out == nullptr) {
    return TRUE;
  }
  if (room < encoded->size()) {
    SetLastError(ERROR_MORE_DATA);
    return FALSE;
  }
  std::memcpy(out, encoded->data(), encoded->size());
  return TRUE;
}

bool PlatformEncodesRequests() {
  BYTE emptyName[] = {0x30, 0x00};
  BYTE keyBits[] = {0x00};
  CERT_REQUEST_INFO request{};
  request.Subject = {sizeof emptyName, emptyName};
  request.SubjectPublicKeyInfo.Algorithm.pszObjId = const_cast<char*>(szOID_RSA_RSA);
  request.SubjectPublicKeyInfo.PublicKey = {sizeof keyBits, keyBits, 0};
  return Encode(X509_CERT_REQUEST_TO_BE_SIGNED, &request).has_value();
}

}  // namespace

bool EnsureRequestInfoEncoder() {
  if (PlatformEncodesRequests()) {
    return true;
  }
  static const CRYPT_OID_FUNC_ENTRY encoder{X509_CERT_REQUEST_TO_BE_SIGNED,
                                            reinterpret_cast<void*>(&EncodeRequestInfo)};
  CryptInstallOIDFunctionAddress(GetModuleHandleW(nullptr), X509_ASN_ENCODING, CRYPT_OID_ENCODE_OBJECT_FUNC, 1, &encoder, 0);
  return PlatformEncodesRequests();
}

}  // namespace tessaly::ravelin::testing
