// The Windows half of tests/ravelin/run-request-round-trip.sh: Ravelin.dll makes a request of
// each key size, hands it over as a file, and imports the certificate that OpenSSL's
// command-line CA issued for it, in the same process (a request's container belongs to the
// process that made it). Runs only when TESSALY_REQUEST_EXCHANGE names the exchange folder.
#include <windows.h>

#include <gtest/gtest.h>
#include <openssl/x509.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "adapters/keyadapter/KeyAdapter.h"
#include "tests/ravelin/win32/RequestInfoEncoder.h"
#include "tests/ravelin/win32/StandInProvider.h"

namespace tessaly::ravelin::testing {
namespace {

std::string ExchangeFolder() {
  char folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("TESSALY_REQUEST_EXCHANGE", folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(folder) + "\\" : "";
}

// The file's bytes once it exists (the other side renames it into place when complete).
std::optional<std::string> AwaitFile(const std::string& path, DWORD milliseconds) {
  for (DWORD waited = 0; waited < milliseconds; waited += 200) {
    std::ifstream file(path, std::ios::binary);
    if (file) {
      std::ostringstream bytes;
      bytes << file.rdbuf();
      return bytes.str();
    }
    Sleep(200);
  }
  return std::nullopt;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path + ".part", std::ios::binary) << bytes;
  MoveFileExA((path + ".part").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// The public key info of a Base64 request, as the provider's containers are searched by it.
std::vector<std::uint8_t> RequestPublicKeyInfo(const std::string& base64) {
  std::vector<unsigned char> der(base64.size());
  const int decoded = EVP_DecodeBlock(der.data(), reinterpret_cast<const unsigned char*>(base64.data()),
                                      static_cast<int>(base64.size()));
  const unsigned char* cursor = der.data();
  X509_REQ* request = decoded > 0 ? d2i_X509_REQ(nullptr, &cursor, decoded) : nullptr;
  EVP_PKEY* key = request != nullptr ? X509_REQ_get0_pubkey(request) : nullptr;
  unsigned char* info = nullptr;
  const int length = key != nullptr ? i2d_PUBKEY(key, &info) : 0;
  std::vector<std::uint8_t> bytes(info, info + (length > 0 ? length : 0));
  OPENSSL_free(info);
  X509_REQ_free(request);
  return bytes;
}

TEST(RavelinRequestRoundTripTest, RequestsGoOutAndTheirIssuedCertificatesComeBackOntoTheKeyPairs) {
  const std::string exchange = ExchangeFolder();
  if (exchange.empty()) {
    GTEST_SKIP() << "run by tests/ravelin/run-request-round-trip.sh";
  }
  ASSERT_TRUE(RegisterStandInProvider());
  ASSERT_TRUE(EnsureRequestInfoEncoder());
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  const HMODULE ravelin = LoadLibraryW((folder.substr(0, folder.find_last_of(L'\\') + 1) + L"Ravelin.dll").c_str());
  ASSERT_NE(ravelin, nullptr);
  const auto getX509ReqData = reinterpret_cast<GetX509ReqDataFn>(
      reinterpret_cast<void*>(GetProcAddress(ravelin, keyadapter::kGetX509ReqData)));
  const auto importCertData = reinterpret_cast<ImportCertDataFn>(
      reinterpret_cast<void*>(GetProcAddress(ravelin, keyadapter::kImportCertData)));
  ASSERT_NE(getX509ReqData, nullptr);
  ASSERT_NE(importCertData, nullptr);

  for (const auto& [keyType, bits] : {std::pair{1, "1024"}, std::pair{2, "2048"}}) {
    SCOPED_TRACE(bits);
    std::vector<char> out(4096, '\0');
    std::int32_t length = 0;
    ASSERT_EQ(getX509ReqData("C=CN, O=Brimvane ,CN=Zhang San", keyType, out.data(), &length), 1);
    const std::string request(out.data(), static_cast<std::size_t>(length));
    WriteFile(exchange + "request-" + bits + ".b64", request);

    const std::optional<std::string> issued = AwaitFile(exchange + "issued-" + bits + ".txt", 120000);
    const std::optional<std::string> other = AwaitFile(exchange + "other-key.txt", 1000);
    const std::optional<std::string> der = AwaitFile(exchange + "issued-" + bits + ".der", 1000);
    ASSERT_TRUE(issued && other && der) << "no certificate came back";
    EXPECT_EQ(importCertData(other->c_str(), static_cast<std::int32_t>(other->size())), 0) << "another key's";
    EXPECT_EQ(CertificateStoredWith(RequestPublicKeyInfo(request)), std::nullopt);
    EXPECT_EQ(importCertData(issued->c_str(), static_cast<std::int32_t>(issued->size())), 1);
    EXPECT_EQ(CertificateStoredWith(RequestPublicKeyInfo(request)), std::vector<std::uint8_t>(der->begin(), der->end()));
  }
  FreeLibrary(ravelin);
}

}  // namespace
}  // namespace tessaly::ravelin::testing
