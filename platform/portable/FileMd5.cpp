#include <openssl/evp.h>

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

}  // namespace

std::string FileMd5Hex(const FileReader& files, const std::string& ansiPath) {
  const std::unique_ptr<ReadableFile> file = files.OpenForReading(ansiPath);
  if (file == nullptr) {
    return {};
  }
  const DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (context == nullptr || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) {
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

}  // namespace tessaly
