#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "platform/FileDigest.h"

namespace tessaly {
namespace {

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

std::string LowerHex(const unsigned char* bytes, unsigned int count) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(std::size_t{count} * 2);
  for (unsigned int i = 0; i < count; ++i) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 0x0F]);
  }
  return text;
}

std::string FileDigestHex(const FileReader& files, const std::string& ansiPath, const EVP_MD* kind) {
  const std::unique_ptr<ReadableFile> file = files.OpenForReading(ansiPath);
  if (file == nullptr) {
    return {};
  }
  const DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (context == nullptr || EVP_DigestInit_ex(context.get(), kind, nullptr) != 1) {
    return {};
  }
  std::vector<char> block(kDigestReadBlockBytes);
  for (;;) {
    const FileReadResult read = file->Read(block);
    if (!read.ok || read.count > block.size()) {
      return {};
    }
    if (read.count == 0) {
      break;
    }
    if (EVP_DigestUpdate(context.get(), block.data(), read.count) != 1) {
      return {};
    }
  }
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int digestLength = 0;
  if (EVP_DigestFinal_ex(context.get(), digest.data(), &digestLength) != 1) {
    return {};
  }
  return LowerHex(digest.data(), digestLength);
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

}  // namespace

std::string FileMd5Hex(const FileReader& files, const std::string& ansiPath) {
  return FileDigestHex(files, ansiPath, EVP_md5());
}

std::string FileSha256Hex(const FileReader& files, const std::string& ansiPath) {
  return FileDigestHex(files, ansiPath, EVP_sha256());
}

bool FileHasDigests(const FileReader& files, const std::string& ansiPath, const std::string& md5,
                    const std::string& sha256) {
  if (ansiPath.empty()) {
    return md5.empty() && sha256.empty();
  }
  if (!md5.empty() && FileMd5Hex(files, ansiPath) != md5) {
    return false;
  }
  if (sha256.empty()) {
    return true;
  }
  std::string expected = sha256;
  std::transform(expected.begin(), expected.end(), expected.begin(), LowerAscii);
  return FileSha256Hex(files, ansiPath) == expected;
}

}  // namespace tessaly
