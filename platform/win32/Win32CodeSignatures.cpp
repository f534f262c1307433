#include "platform/win32/Win32CodeSignatures.h"

// clang-format off
#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>
// clang-format on

#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

SignatureStatus StatusOf(LONG result) {
  switch (static_cast<HRESULT>(result)) {
    case ERROR_SUCCESS:
      return SignatureStatus::Valid;
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case TRUST_E_PROVIDER_UNKNOWN:
      return SignatureStatus::NoSignature;
    case TRUST_E_BAD_DIGEST:
    case CRYPT_E_HASH_VALUE:
      return SignatureStatus::BadDigest;
    case CERT_E_REVOKED:
    case CRYPT_E_REVOKED:
      return SignatureStatus::Revoked;
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_CHAINING:
    case CERT_E_EXPIRED:
    case CERT_E_WRONG_USAGE:
    case TRUST_E_EXPLICIT_DISTRUST:
    case TRUST_E_SUBJECT_NOT_TRUSTED:
      return SignatureStatus::Untrusted;
    default:
      // Among them a revocation server that cannot be reached: a signature whose
      // certificates cannot be shown to be unrevoked is not taken.
      return SignatureStatus::Failed;
  }
}

// The signer's certificate of a verification that succeeded; empty when the state has none.
std::vector<unsigned char> SignerCertificate(HANDLE state) {
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state);
  CRYPT_PROVIDER_SGNR* signer =
      provider != nullptr ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr ||
      signer->pasCertChain[0].pCert == nullptr) {
    return {};
  }
  const CERT_CONTEXT* certificate = signer->pasCertChain[0].pCert;
  return std::vector<unsigned char>(certificate->pbCertEncoded,
                                    certificate->pbCertEncoded + certificate->cbCertEncoded);
}

}  // namespace

CodeSignature Win32CodeSignatures::Check(const std::u16string& path) const {
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = AsWide(path);
  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
  data.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  // No window: the check never asks the user anything.
  const HWND noUser = static_cast<HWND>(INVALID_HANDLE_VALUE);
  const LONG result = WinVerifyTrust(noUser, &action, &data);
  CodeSignature signature{StatusOf(result), {}};
  if (signature.status == SignatureStatus::Valid) {
    signature.signerCertificate = SignerCertificate(data.hWVTStateData);
    if (signature.signerCertificate.empty()) {
      signature.status = SignatureStatus::Failed;
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(noUser, &action, &data);
  return signature;
}

}  // namespace tessaly::win32
