#include "platform/win32/Win32FileAccess.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

// The calls read a path up to its first zero; a path with a zero inside names another file
// than the caller meant.
template <typename Text>
bool HasEmbeddedZero(const Text& path) {
  return path.find(typename Text::value_type{}) != Text::npos;
}

DWORD ChunkOf(std::size_t size) { return static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD)); }

class Win32ReadableFile final : public ReadableFile {
 public:
  explicit Win32ReadableFile(unique_handle file) : file_(std::move(file)) {}

  FileReadResult Read(std::span<char> buffer) override {
    DWORD read = 0;
    if (!ReadFile(file_.get(), buffer.data(), ChunkOf(buffer.size()), &read, nullptr)) {
      return {};
    }
    return {.ok = true, .count = read};
  }

 private:
  unique_handle file_;
};

class Win32WritableFile final : public WritableFile {
 public:
  explicit Win32WritableFile(unique_handle file) : file_(std::move(file)) {}

  bool Write(std::span<const char> bytes) override {
    while (!bytes.empty()) {
      DWORD written = 0;
      if (file_ == nullptr ||
          !WriteFile(file_.get(), bytes.data(), ChunkOf(bytes.size()), &written, nullptr) ||
          written == 0) {
        return false;
      }
      bytes = bytes.subspan(written);
    }
    return true;
  }

  std::optional<std::uint64_t> Size() const override {
    LARGE_INTEGER size{};
    if (file_ == nullptr || !GetFileSizeEx(file_.get(), &size) || size.QuadPart < 0) {
      return std::nullopt;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  bool Close() override {
    if (file_ == nullptr) {
      return false;
    }
    return CloseHandle(file_.release()) != FALSE;
  }

 private:
  unique_handle file_;
};

}  // namespace

std::unique_ptr<ReadableFile> Win32FileAccess::OpenForReading(const std::string& ansiPath) const {
  if (ansiPath.empty() || HasEmbeddedZero(ansiPath)) {
    return nullptr;
  }
  unique_handle file(CreateFileA(ansiPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  return std::make_unique<Win32ReadableFile>(std::move(file));
}

std::unique_ptr<WritableFile> Win32FileAccess::CreateExclusive(const std::u16string& path) const {
  if (path.empty() || HasEmbeddedZero(path)) {
    return nullptr;
  }
  unique_handle file(CreateFileW(AsWide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  return std::make_unique<Win32WritableFile>(std::move(file));
}

bool Win32FileAccess::Delete(const std::u16string& path) const {
  if (path.empty() || HasEmbeddedZero(path)) {
    return false;
  }
  return DeleteFileW(AsWide(path)) != FALSE;
}

bool Win32FileAccess::Replace(const std::u16string& staged, const std::u16string& path) const {
  if (staged.empty() || path.empty() || HasEmbeddedZero(staged) || HasEmbeddedZero(path)) {
    return false;
  }
  // Write-through: the new file is on the disk before the old one is gone.
  return MoveFileExW(AsWide(staged), AsWide(path),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace tessaly::win32
