#include "platform/win32/Win32CertificateStores.h"

#include <windows.h>
#include <wincrypt.h>

#include <limits>
#include <string>
#include <utility>

#include "platform/portable/Utf8Codec.h"
#include "platform/win32/CertificateHandles.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

constexpr DWORD kEncodings = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

bool FitsDword(std::size_t size) { return size <= std::numeric_limits<DWORD>::max(); }

const BYTE* BytesOf(std::string_view bytes) { return reinterpret_cast<const BYTE*>(bytes.data()); }

class Win32Certificate final : public Certificate {
 public:
  explicit Win32Certificate(unique_cert_context context) : context_(std::move(context)) {}

  std::string SubjectAttribute(std::string_view oid) const override {
    const std::string oidText(oid);
    void* type = const_cast<char*>(oidText.c_str());
    // The length comes first (terminator included; 1 means no such attribute), so long
    // names are read whole.
    const DWORD length = CertGetNameStringW(context_.get(), CERT_NAME_ATTR_TYPE, 0, type, nullptr, 0);
    if (length <= 1) {
      return {};
    }
    std::u16string text(length, u'\0');
    const DWORD written = CertGetNameStringW(context_.get(), CERT_NAME_ATTR_TYPE, 0, type, AsWide(text), length);
    if (written == 0 || written > length) {
      return {};
    }
    text.resize(written - 1);
    return EncodeUtf8(text);
  }

  bool HasSameIssuerAndSerial(const Certificate& other) const override {
    const auto* native = dynamic_cast<const Win32Certificate*>(&other);
    return native != nullptr &&
           CertCompareCertificate(X509_ASN_ENCODING, context_->pCertInfo, native->context_->pCertInfo) != FALSE;
  }

  PCCERT_CONTEXT context() const { return context_.get(); }

 private:
  unique_cert_context context_;
};

class Win32CertificateStore final : public CertificateStore {
 public:
  explicit Win32CertificateStore(unique_hcertstore store) : store_(std::move(store)) {}

  void ForEachWithSubject(std::string_view text,
                          const std::function<bool(const Certificate&)>& visit) override {
    const std::u16string wideText = DecodeUtf8(text);
    // Each search call frees the context it continues from, so `current` gives up its
    // context to the call and owns the next one; leaving the loop early frees it.
    unique_cert_context current;
    for (;;) {
      current.reset(CertFindCertificateInStore(store_.get(), kEncodings, 0, CERT_FIND_SUBJECT_STR_W,
                                               AsWide(wideText), current.release()));
      if (current == nullptr) {
        return;
      }
      const Win32Certificate found{unique_cert_context(CertDuplicateCertificateContext(current.get()))};
      if (!visit(found)) {
        return;
      }
    }
  }

  CertificateAddResult AddEncodedReplacingExisting(std::string_view der) override {
    if (der.empty() || !FitsDword(der.size())) {
      return CertificateAddResult::NotAdded;
    }
    PCCERT_CONTEXT added = nullptr;
    const BOOL ok = CertAddEncodedCertificateToStore(store_.get(), X509_ASN_ENCODING, BytesOf(der),
                                                     static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                     &added);
    if (ok == FALSE) {
      // The system's confirmation for the ROOT store answered "No".
      return GetLastError() == ERROR_CANCELLED ? CertificateAddResult::Declined
                                               : CertificateAddResult::NotAdded;
    }
    const unique_cert_context owner(added);
    return CertificateAddResult::Added;
  }

  bool AddUnlessNewerPresent(const Certificate& certificate) override {
    const auto* native = dynamic_cast<const Win32Certificate*>(&certificate);
    return native != nullptr &&
           CertAddCertificateContextToStore(store_.get(), native->context(), CERT_STORE_ADD_NEWER, nullptr) != FALSE;
  }

 private:
  unique_hcertstore store_;
};

}  // namespace

std::unique_ptr<CertificateStore> Win32CertificateStores::OpenCurrentUserSystemStore(std::string_view name) {
  const std::u16string wideName = DecodeUtf8(name);
  unique_hcertstore store(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, AsWide(wideName)));
  if (store == nullptr) {
    return nullptr;
  }
  return std::make_unique<Win32CertificateStore>(std::move(store));
}

std::unique_ptr<Certificate> Win32CertificateStores::MakeCertificate(std::string_view der) {
  if (der.empty() || !FitsDword(der.size())) {
    return nullptr;
  }
  unique_cert_context context(CertCreateCertificateContext(kEncodings, BytesOf(der), static_cast<DWORD>(der.size())));
  if (context == nullptr) {
    return nullptr;
  }
  return std::make_unique<Win32Certificate>(std::move(context));
}

std::optional<std::string> Win32CertificateStores::DecodeCertificateText(std::string_view text,
                                                                         std::size_t maxBytes) {
  if (text.empty() || !FitsDword(text.size()) || !FitsDword(maxBytes)) {
    return std::nullopt;
  }
  // The order of CRYPT_STRING_ANY, one format at a time: Wine's CRYPT_STRING_ANY carries
  // the size a failed Base64 attempt wrote into the binary attempt and so never takes
  // raw bytes. The buffer is the limit: a text that decodes to more fails.
  for (const DWORD format : {DWORD{CRYPT_STRING_BASE64HEADER}, DWORD{CRYPT_STRING_BASE64}, DWORD{CRYPT_STRING_BINARY}}) {
    std::string bytes(maxBytes, '\0');
    DWORD size = static_cast<DWORD>(maxBytes);
    if (CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), format,
                             reinterpret_cast<BYTE*>(bytes.data()), &size, nullptr, nullptr) &&
        size <= maxBytes) {
      bytes.resize(size);
      return bytes;
    }
  }
  return std::nullopt;
}

}  // namespace tessaly::win32
