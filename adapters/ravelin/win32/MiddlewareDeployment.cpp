#include "adapters/ravelin/win32/MiddlewareDeployment.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <string_view>

#include "adapters/ravelin/win32/Win32TokenManager.h"
#include "platform/win32/UniqueHandles.h"

namespace tessaly::ravelin::win32 {
namespace {

using tessaly::win32::unique_handle;

struct CarriedFile {
  WORD resourceId;
  const char* fileName;
};

// In the order they are written; only the last one's failure refuses the load.
constexpr std::array<CarriedFile, 6> kCarriedFiles{{{12002, "TokenMgr.dll"},
                                                    {12000, "wdkMgr.dll"},
                                                    {12004, "WDAlg.dll"},
                                                    {12003, "WatchSafe.ini"},
                                                    {12001, "hodll.dll"},
                                                    {12005, "protectini.ini"}}};
constexpr WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Creates the folder and any missing parents.
bool CreateDirectories(const std::string& path) {
  if (path.empty() || DirectoryExists(path)) {
    return !path.empty();
  }
  const std::size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos && slash > 2) {
    CreateDirectories(path.substr(0, slash));
  }
  return CreateDirectoryA(path.c_str(), nullptr) != FALSE || DirectoryExists(path);
}

// Whether the file at `path` holds exactly `size` bytes equal to `bytes`.
bool HoldsExactly(const std::string& path, const void* bytes, DWORD size) {
  const unique_handle input(CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!input || input.get() == INVALID_HANDLE_VALUE) {
    return false;
  }
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(input.get(), &length) || length.QuadPart != size) {
    return false;
  }
  const auto* expected = static_cast<const char*>(bytes);
  std::array<char, 16384> chunk{};
  for (DWORD offset = 0; offset < size;) {
    DWORD read = 0;
    const DWORD wanted = std::min<DWORD>(size - offset, static_cast<DWORD>(chunk.size()));
    if (!ReadFile(input.get(), chunk.data(), wanted, &read, nullptr) || read == 0 ||
        std::memcmp(chunk.data(), expected + offset, read) != 0) {
      return false;
    }
    offset += read;
  }
  return true;
}

// A copy that another process still holds (it could be neither deleted nor replaced) is
// kept when it is the carried file itself, which it normally is: both processes then use
// the same files.
bool WriteCarriedFile(HMODULE library, const CarriedFile& file, const std::string& folder) {
  HRSRC resource = FindResourceExA(library, "DLLRES", MAKEINTRESOURCEA(file.resourceId), kChinesePrc);
  const DWORD size = resource == nullptr ? 0 : SizeofResource(library, resource);
  HGLOBAL loaded = size == 0 ? nullptr : LoadResource(library, resource);
  const void* bytes = loaded == nullptr ? nullptr : LockResource(loaded);
  if (bytes == nullptr) {
    return false;
  }
  const std::string path = folder + "\\" + file.fileName;
  if (HoldsExactly(path, bytes, size)) {
    return true;
  }
  const unique_handle output(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!output || output.get() == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD written = 0;
  return WriteFile(output.get(), bytes, size, &written, nullptr) != FALSE && written == size;
}

// A bounded view of a mapped image: every RVA is checked against the image's size.
class ImageView {
 public:
  ImageView(const std::uint8_t* base, std::size_t size) : base_(base), size_(size) {}
  template <typename T>
  const T* At(std::size_t rva, std::size_t count = 1) const {
    if (rva > size_ || count > (size_ - rva) / sizeof(T)) {
      return nullptr;
    }
    return reinterpret_cast<const T*>(base_ + rva);
  }
  // A NUL-terminated name within the image.
  std::string_view Name(std::size_t rva) const {
    if (rva >= size_) {
      return {};
    }
    const char* start = reinterpret_cast<const char*>(base_ + rva);
    const std::size_t room = size_ - rva;
    const std::size_t length = ::strnlen(start, room);
    return length == room ? std::string_view() : std::string_view(start, length);
  }

 private:
  const std::uint8_t* base_;
  std::size_t size_;
};

}  // namespace

std::string PrivateFolder() {
  std::array<char, MAX_PATH + 1> temp{};
  const DWORD length = GetTempPathA(MAX_PATH + 1, temp.data());
  if (length == 0 || length > MAX_PATH) {
    return "";
  }
  return std::string(temp.data(), length) + "WDQUAYMARK340";
}

void RemoveMiddlewareFiles(const std::string& folder) {
  WIN32_FIND_DATAA entry{};
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) {
    return;
  }
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      continue;  // folders stay, "." and ".." among them
    }
    const std::string path = folder + "\\" + entry.cFileName;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
      SetFileAttributesA(path.c_str(), entry.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    DeleteFileA(path.c_str());
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

std::vector<unique_handle> HoldMiddlewareFiles(const std::string& folder) {
  std::vector<unique_handle> held;
  for (const CarriedFile& file : kCarriedFiles) {
    const std::string name = file.fileName;
    // A library may not change under the process that maps it; the token manager may
    // write its configuration files.
    const bool library = name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".dll") == 0;
    const DWORD sharing = library ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    unique_handle handle(CreateFileA((folder + "\\" + name).c_str(), GENERIC_READ, sharing,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle && handle.get() != INVALID_HANDLE_VALUE) {
      held.push_back(std::move(handle));
    }
  }
  return held;
}

bool DeployMiddleware(HMODULE library, const std::string& folder) {
  if (folder.empty()) {
    return false;
  }
  if (DirectoryExists(folder)) {
    RemoveMiddlewareFiles(folder);
  }
  CreateDirectories(folder);
  bool lastWritten = false;
  for (const CarriedFile& file : kCarriedFiles) {
    lastWritten = WriteCarriedFile(library, file, folder);
  }
  return lastWritten;
}

bool ExportsTokenManagerEntryPoints(const std::string& path) {
  const unique_handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || file.get() == INVALID_HANDLE_VALUE) {
    return false;
  }
  // An image section: the system lays the file out as the loader would, or refuses it.
  const unique_handle section(
      CreateFileMappingA(file.get(), nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr));
  if (!section) {
    return false;
  }
  const void* mapped = MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, 0);
  if (mapped == nullptr) {
    return false;
  }
  MEMORY_BASIC_INFORMATION region{};
  std::size_t imageSize = 0;
  const auto* base = static_cast<const std::uint8_t*>(mapped);
  // The view's extent: the sum of the regions of this allocation.
  for (const std::uint8_t* at = base;
       VirtualQuery(at, &region, sizeof region) == sizeof region && region.AllocationBase == mapped;
       at += region.RegionSize) {
    imageSize += region.RegionSize;
  }
  const ImageView image(base, imageSize);
  std::set<std::string_view, std::less<>> exported;
  const auto* dos = image.At<IMAGE_DOS_HEADER>(0);
  const auto* nt = dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE
                       ? nullptr
                       : image.At<IMAGE_NT_HEADERS>(static_cast<std::size_t>(dos->e_lfanew));
  if (nt != nullptr && nt->Signature == IMAGE_NT_SIGNATURE &&
      nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR_MAGIC &&
      nt->OptionalHeader.NumberOfRvaAndSizes > IMAGE_DIRECTORY_ENTRY_EXPORT) {
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports = image.At<IMAGE_EXPORT_DIRECTORY>(directory.VirtualAddress);
    const auto* names = exports == nullptr ? nullptr
                                           : image.At<DWORD>(exports->AddressOfNames,
                                                             exports->NumberOfNames);
    for (DWORD i = 0; names != nullptr && i < exports->NumberOfNames; ++i) {
      exported.insert(image.Name(names[i]));
    }
  }
  // The names point into the view: compare them before it goes.
  bool all = true;
  for (const char* name : kTokenManagerEntryNames) {
    all = all && exported.contains(std::string_view(name));
  }
  UnmapViewOfFile(mapped);
  return all;
}

}  // namespace tessaly::ravelin::win32
