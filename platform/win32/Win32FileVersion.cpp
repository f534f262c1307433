#include "platform/win32/Win32FileVersion.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

static_assert(sizeof(VS_FIXEDFILEINFO) == sizeof(FixedFileVersion));

// A version resource is at most 64 KiB (its length is a 16-bit word); the reported size
// adds room for conversions. Anything far beyond is not a version resource.
constexpr DWORD kMaxVersionInfoBytes = 1024 * 1024;

}  // namespace

bool Win32FileVersion::QueryFileVersion(const std::u16string& path, FixedFileVersion* out) const {
  if (path.empty() || path.find(u'\0') != std::u16string::npos) {
    return false;
  }
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(AsWide(path), &ignored);
  if (size == 0 || size > kMaxVersionInfoBytes) {
    return false;
  }
  std::vector<unsigned char> info(size);
  if (!GetFileVersionInfoW(AsWide(path), 0, size, info.data())) {
    return false;
  }
  void* block = nullptr;
  UINT blockLength = 0;
  wchar_t root[] = L"\\";
  if (!VerQueryValueW(info.data(), root, &block, &blockLength) || block == nullptr) {
    return false;
  }
  // A crafted file may carry a root block shorter than the fixed block; reading 52 bytes
  // from it would read past the resource.
  if (blockLength < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  FixedFileVersion fixed;
  std::memcpy(&fixed, block, sizeof(fixed));
  if (fixed.signature != kFixedFileVersionSignature) {
    return false;
  }
  if (out != nullptr) {
    *out = fixed;
  }
  return true;
}

}  // namespace tessaly::win32
