// GetX509ReqData and ImportCertData in Ravelin.dll, over the stand-in provider registered
// under the Watchdata provider's name: the refusals, and a certificate that a throwaway CA
// made with OpenSSL's library issues, imported and read back from the key pair through
// KP_CERTIFICATE. OpenSSL's commands judge the requests themselves in
// tests/ravelin/run-request-round-trip.sh.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "adapters/keyadapter/KeyAdapter.h"
#include "tests/ravelin/win32/RequestInfoEncoder.h"
#include "tests/ravelin/win32/StandInProvider.h"

namespace tessaly::ravelin::testing {
namespace {

std::string Base64(const std::vector<unsigned char>& bytes, bool pemLines) {
  std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  text.resize(static_cast<std::size_t>(EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                                       bytes.data(), static_cast<int>(bytes.size()))));
  if (!pemLines) {
    return text;
  }
  std::string pem = "-----BEGIN CERTIFICATE-----\r\n";
  for (std::size_t i = 0; i < text.size(); i += 64) {
    pem += text.substr(i, 64) + "\r\n";
  }
  return pem + "-----END CERTIFICATE-----\r\n";
}

std::vector<unsigned char> FromBase64(const std::string& text) {
  std::vector<unsigned char> bytes(text.size());
  const int length = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                     static_cast<int>(text.size()));
  std::size_t size = length > 0 ? static_cast<std::size_t>(length) : 0;
  // EVP_DecodeBlock counts the padding as zero bytes.
  for (auto c = text.rbegin(); c != text.rend() && *c == '=' && size > 0; ++c) {
    --size;
  }
  bytes.resize(size);
  return bytes;
}

template <typename T, void (*Free)(T*)>
struct OpenSslFree {
  void operator()(T* object) const { Free(object); }
};
using Request = std::unique_ptr<X509_REQ, OpenSslFree<X509_REQ, X509_REQ_free>>;
using Key = std::unique_ptr<EVP_PKEY, OpenSslFree<EVP_PKEY, EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, OpenSslFree<X509, X509_free>>;

// The bytes one of OpenSSL's i2d encoders writes.
template <typename Encode>
std::vector<unsigned char> DerBytes(Encode encode) {
  unsigned char* der = nullptr;
  const int length = encode(&der);
  std::vector<unsigned char> bytes(der, der + (length > 0 ? length : 0));
  OPENSSL_free(der);
  return bytes;
}

std::vector<unsigned char> Der(X509* certificate) {
  return DerBytes([&](unsigned char** out) { return i2d_X509(certificate, out); });
}

// A certificate for the key, signed by a throwaway CA.
Certificate IssuedFor(EVP_PKEY* subjectKey) {
  const Key caKey(EVP_RSA_gen(1024));
  Certificate certificate(X509_new());
  X509_set_version(certificate.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 7);
  X509_gmtime_adj(X509_getm_notBefore(certificate.get()), 0);
  X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 86400L * 365);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate.get()), "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Zhang San"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(X509_get_issuer_name(certificate.get()), "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Stand-in issuing CA"), -1, -1, 0);
  X509_set_pubkey(certificate.get(), subjectKey);
  X509_sign(certificate.get(), caKey.get(), EVP_sha256());
  return certificate;
}

// The certificate wrapped as a PKCS#7 message, as crl2pkcs7 does.
std::vector<unsigned char> AsPkcs7(X509* certificate) {
  PKCS7* message = PKCS7_new();
  PKCS7_set_type(message, NID_pkcs7_signed);
  PKCS7_content_new(message, NID_pkcs7_data);
  PKCS7_add_certificate(message, certificate);
  std::vector<unsigned char> bytes = DerBytes([&](unsigned char** out) { return i2d_PKCS7(message, out); });
  PKCS7_free(message);
  return bytes;
}

std::vector<unsigned char> PublicKeyInfo(EVP_PKEY* key) {
  return DerBytes([&](unsigned char** out) { return i2d_PUBKEY(key, out); });
}

class CertificateRequestTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(RegisterStandInProvider());
    ASSERT_TRUE(EnsureRequestInfoEncoder());
  }
  void SetUp() override {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    module = LoadLibraryW((folder.substr(0, folder.find_last_of(L'\\') + 1) + L"Ravelin.dll").c_str());
    ASSERT_NE(module, nullptr);
    getX509ReqData = reinterpret_cast<GetX509ReqDataFn>(
        reinterpret_cast<void*>(GetProcAddress(module, keyadapter::kGetX509ReqData)));
    importCertData = reinterpret_cast<ImportCertDataFn>(
        reinterpret_cast<void*>(GetProcAddress(module, keyadapter::kImportCertData)));
    ASSERT_NE(getX509ReqData, nullptr);
    ASSERT_NE(importCertData, nullptr);
  }
  void TearDown() override { FreeLibrary(module); }

  // The request's Base64 text, or empty on failure.
  std::string RequestFor(const char* subject, std::int32_t keyType) {
    std::vector<char> out(4096, '\0');
    std::int32_t length = -1;
    if (getX509ReqData(subject, keyType, out.data(), &length) != 1) {
      return "";
    }
    EXPECT_EQ(static_cast<std::size_t>(length), std::strlen(out.data()));
    return std::string(out.data(), static_cast<std::size_t>(length));
  }

  HMODULE module = nullptr;
  GetX509ReqDataFn getX509ReqData = nullptr;
  ImportCertDataFn importCertData = nullptr;
};

TEST_F(CertificateRequestTest, RefusedSubjectsAndKeyTypesLeaveTheKeyUntouched) {
  const std::vector<std::string> containers = ProviderContainers();
  EXPECT_EQ(RequestFor("CN=Zhang San", 3), "");
  EXPECT_EQ(RequestFor("CN=Zhang@San", 1), "") << "outside the PrintableString set";
  EXPECT_EQ(RequestFor("XX=Zhang San", 1), "");
  EXPECT_EQ(RequestFor("CN=Zhang San,,O=Brimvane", 1), "");
  EXPECT_EQ(getX509ReqData(nullptr, 1, nullptr, nullptr), 0);
  EXPECT_EQ(ProviderContainers(), containers) << "a container was made";
  // A request that is made makes one.
  EXPECT_NE(RequestFor("CN=Zhang San", 1), "");
  EXPECT_EQ(ProviderContainers().size(), containers.size() + 1);
}

TEST_F(CertificateRequestTest, ImportStoresOnlyTheCertificateOfTheLatestRequestWithItsKeyPair) {
  const Key otherKey(EVP_RSA_gen(1024));
  const std::string other = Base64(AsPkcs7(IssuedFor(otherKey.get()).get()), true);
  EXPECT_EQ(importCertData(other.c_str(), static_cast<std::int32_t>(other.size())), 0)
      << "no request made by this process yet";
  const std::string tooShort(511, 'A');
  EXPECT_EQ(importCertData(tooShort.c_str(), 511), 0);
  EXPECT_EQ(importCertData(nullptr, 600), 0);

  const std::string text = RequestFor("CN=Zhang San", 1);
  ASSERT_FALSE(text.empty());
  const std::vector<unsigned char> der = FromBase64(text);
  const unsigned char* cursor = der.data();
  const Request request(d2i_X509_REQ(nullptr, &cursor, static_cast<long>(der.size())));
  ASSERT_NE(request, nullptr);
  const Key requestKey(X509_REQ_get_pubkey(request.get()));
  const std::vector<unsigned char> requestKeyInfo = PublicKeyInfo(requestKey.get());

  EXPECT_EQ(importCertData(other.c_str(), static_cast<std::int32_t>(other.size())), 0) << "another key";
  const Certificate issued = IssuedFor(requestKey.get());
  const std::string bare = Base64(Der(issued.get()), false);
  EXPECT_EQ(importCertData(bare.c_str(), static_cast<std::int32_t>(bare.size())), 0) << "no PKCS#7 message";
  EXPECT_EQ(CertificateStoredWith(requestKeyInfo), std::nullopt) << "nothing stored by a refusal";

  // The certificate the CA issued for the request, with and without PEM lines, ends up on
  // the request's key pair.
  for (const bool pemLines : {true, false}) {
    SCOPED_TRACE(pemLines ? "PEM lines" : "bare Base64");
    const std::string wrapped = Base64(AsPkcs7(issued.get()), pemLines);
    ASSERT_EQ(importCertData(wrapped.c_str(), static_cast<std::int32_t>(wrapped.size())), 1);
    EXPECT_EQ(CertificateStoredWith(requestKeyInfo), Der(issued.get()));
  }
}

}  // namespace
}  // namespace tessaly::ravelin::testing
