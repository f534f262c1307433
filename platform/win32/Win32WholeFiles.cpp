#include "platform/win32/Win32WholeFiles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <utility>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

// The calls read a path up to its first zero; a path with a zero inside names another file
// than the caller meant.
bool IsUsablePath(const std::u16string& path) {
  return !path.empty() && path.find(u'\0') == std::u16string::npos;
}

std::u16string Hex(std::uint32_t value) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), u"0123456789abcdef"[value % 16]);
    value /= 16;
  } while (value != 0);
  return digits;
}

// The folder part of `path` with its final separator; empty for a bare file name, which
// then lives in the current folder, as the path itself does.
std::u16string FolderOf(const std::u16string& path) {
  const std::size_t separator = path.find_last_of(u"\\/");
  return separator == std::u16string::npos ? std::u16string() : path.substr(0, separator + 1);
}

// A file of its own in `folder`, created new so that nothing else's file is overwritten;
// the name is unique per process and attempt.
unique_handle CreateSiblingFile(const std::u16string& folder, std::u16string* siblingPath) {
  static std::atomic<std::uint32_t> attempts{0};
  for (int tries = 0; tries < 16; ++tries) {
    *siblingPath = folder + u"~tessaly-" + Hex(GetCurrentProcessId()) + u"-" +
                   Hex(attempts.fetch_add(1)) + u".tmp";
    unique_handle file(CreateFileW(AsWide(*siblingPath), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() != INVALID_HANDLE_VALUE) {
      return file;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
      break;
    }
  }
  return nullptr;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

// Writes, flushes and closes the sibling; any failure on the way leaves a file that must
// not take the old one's place.
bool FillSibling(unique_handle file, std::string_view bytes) {
  if (!WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
    return false;
  }
  return CloseHandle(file.release()) != FALSE;
}

// Puts the written sibling in the place of `path` in one step. An existing file keeps its
// own security descriptor and attributes (a protected hosts file must not take on the
// folder's permissions, nor lose its read-only mark): ReplaceFileW swaps the content in
// and keeps them. A read-only file refuses to be replaced, so the mark is lifted for the
// swap and put back afterwards, also when the swap fails.
bool PutInPlace(const std::u16string& siblingPath, const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(AsWide(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return MoveFileExW(AsWide(siblingPath), AsWide(path),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  const DWORD writable = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (readOnly && !SetFileAttributesW(AsWide(path), writable)) {
    return false;
  }
  bool replaced = ReplaceFileW(AsWide(path), AsWide(siblingPath), nullptr,
                               REPLACEFILE_WRITE_THROUGH, nullptr, nullptr) != FALSE;
  // This failure means the old file is already gone and only the new content is left,
  // under the sibling's name: it must still reach the path, or the file would be lost.
  if (!replaced && GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
    replaced = MoveFileExW(AsWide(siblingPath), AsWide(path),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  // Put back what the file was marked with: after a swap the replaced file's attributes
  // are meant to carry over, and not every system carries the read-only mark.
  SetFileAttributesW(AsWide(path), attributes);
  return replaced;
}

}  // namespace

WholeFileContent Win32WholeFiles::Read(const std::u16string& path, std::size_t maxBytes) const {
  if (!IsUsablePath(path)) {
    return {};
  }
  unique_handle file(CreateFileW(AsWide(path), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                 nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return {.status = WholeFileStatus::kMissing};
    }
    return {};
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
    return {};
  }
  // The file may grow while it is read; the bound holds for what is read, not for the size
  // it had.
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  char buffer[64 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
      return {};
    }
    if (read == 0) {
      break;
    }
    if (read > maxBytes - bytes.size()) {
      return {};
    }
    bytes.append(buffer, read);
  }
  return {.status = WholeFileStatus::kRead, .bytes = std::move(bytes)};
}

bool Win32WholeFiles::Replace(const std::u16string& path, std::string_view bytes) const {
  if (!IsUsablePath(path)) {
    return false;
  }
  std::u16string siblingPath;
  unique_handle sibling = CreateSiblingFile(FolderOf(path), &siblingPath);
  if (sibling == nullptr) {
    return false;
  }
  if (FillSibling(std::move(sibling), bytes) && PutInPlace(siblingPath, path)) {
    return true;
  }
  DeleteFileW(AsWide(siblingPath));
  return false;
}

}  // namespace tessaly::win32
