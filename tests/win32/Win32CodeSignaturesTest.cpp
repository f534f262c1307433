// Authenticode through the real WinVerifyTrust (Wine here) on the test installer as the
// build signed it with osslsigncode, unsigned, signed by the other publisher and altered
// after signing, and the gate with this build's allowed publishers over each. Wine, unlike
// Windows, accepts a signature whose root it does not trust, so there the other publisher
// is refused by the publisher check alone; Windows refuses it for its chain already.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/AllowedPublishers.h"
#include "platform/CodeAdmission.h"
#include "platform/portable/Utf8Codec.h"
#include "platform/win32/Win32CodeSignatures.h"
#include "platform/win32/Win32FileAccess.h"
#include "platform/win32/Win32ProgramPath.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

std::u16string ComponentsFolder() {
  std::u16string path = ModuleFilePath();
  path.erase(path.find_last_of(u'\\') + 1);
  return path + u"components\\";
}

std::u16string TemporaryFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  return std::u16string(reinterpret_cast<const char16_t*>(temp), length);
}

std::string Bytes(const std::u16string& path) {
  std::ifstream file(EncodeUtf8(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(Win32CodeSignaturesTest, OnlyTheTestPublishersUnchangedFilePasses) {
  const std::u16string built = ComponentsFolder();
  const std::u16string work = TemporaryFolder();
  const std::u16string altered = work + u"altered-installer.exe";
  {
    std::string bytes = Bytes(built + u"TessalyTestInstaller.exe");
    ASSERT_GT(bytes.size(), 4096u);
    bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 1);
    std::ofstream(EncodeUtf8(altered), std::ios::binary) << bytes;
  }
  const struct {
    const char* what;
    std::u16string source;
    SignatureStatus status;
    bool admitted;
  } cases[] = {
      {"signed by the test publisher", built + u"TessalyTestInstaller.exe", SignatureStatus::Valid, true},
      {"unsigned", built + u"TessalyTestInstaller-unsigned.exe", SignatureStatus::NoSignature, false},
      {"signed by the other publisher", built + u"TessalyTestInstaller-other.exe", SignatureStatus::Valid, false},
      {"one byte changed after signing", altered, SignatureStatus::BadDigest, false},
      {"not there", work + u"no-such-installer.exe", SignatureStatus::Failed, false},
  };
  const Win32CodeSignatures signatures;
  const Win32FileAccess files;
  const CodeGate gate(signatures, files, AllowedPublishers());
  for (const auto& c : cases) {
    const std::u16string copy = work + u"downloaded-installer.exe";
    DeleteFileW(AsWide(copy));
    CopyFileW(AsWide(c.source), AsWide(copy), FALSE);
    const CodeSignature signature = signatures.Check(copy);
    EXPECT_EQ(signature.status, c.status) << c.what;
    EXPECT_EQ(signature.signerCertificate.empty(), c.status != SignatureStatus::Valid) << c.what;
    EXPECT_EQ(gate.Admit(copy, CodeUse::Component, true), c.admitted) << c.what;
    EXPECT_EQ(GetFileAttributesW(AsWide(copy)) != INVALID_FILE_ATTRIBUTES, c.admitted)
        << c.what << ": a refused download is deleted";
    DeleteFileW(AsWide(copy));
  }
  DeleteFileW(AsWide(altered));
}

}  // namespace
}  // namespace tessaly::win32
