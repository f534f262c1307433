#include "tests/program/DesktopWindows.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

#include "platform/portable/Utf8Codec.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

constexpr UINT kTaskDialogClickButton = WM_USER + 102;  // TDM_CLICK_BUTTON
constexpr DWORD kPollMs = 50;

struct CaptionSearch {
  const std::u16string* caption;
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectCaptioned(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<CaptionSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (IsWindowVisible(window) && (search->processId == 0 || owner == search->processId) &&
      WindowText(window) == *search->caption) {
    search->found.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK CollectChildText(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<std::u16string>*>(context)->push_back(WindowText(window));
  return TRUE;
}

void PutLittleEndian(std::string& bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) {
    bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
}

}  // namespace

HMODULE LoadProgramResources() {
  const char* program = std::getenv("TESSALY_PROGRAM");
  if (program == nullptr || *program == '\0') {
    return nullptr;
  }
  const std::u16string path = DecodeUtf8(program);
  return LoadLibraryExW(AsWide(path), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

std::vector<HWND> TopLevelWindowsCaptioned(const std::u16string& caption, DWORD processId) {
  CaptionSearch search{&caption, processId, {}};
  EnumWindows(&CollectCaptioned, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<std::u16string> ChildTexts(HWND window) {
  std::vector<std::u16string> texts;
  EnumChildWindows(window, &CollectChildText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

bool SaveWindowPicture(HWND window, const std::u16string& path) {
  RECT frame;
  if (!GetWindowRect(window, &frame)) {
    return false;
  }
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  if (width <= 0 || height <= 0) {
    return false;
  }
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  bool copied = false;
  if (bitmap != nullptr) {
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    copied = BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, previous);
  }
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  const std::size_t imageBytes = rowBytes * static_cast<std::size_t>(height);
  std::string file = "BM";
  PutLittleEndian(file, static_cast<std::uint32_t>(54 + imageBytes), 4);
  PutLittleEndian(file, 0, 4);
  PutLittleEndian(file, 54, 4);
  file.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
  if (copied) {
    file.append(static_cast<const char*>(pixels), imageBytes);
  }
  if (bitmap != nullptr) {
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied) {
    return false;
  }
  std::ofstream out(std::filesystem::path(std::wstring(AsWide(path))), std::ios::binary | std::ios::trunc);
  out.write(file.data(), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out);
}

std::optional<std::u16string> PictureFolder() {
  const char* folder = std::getenv("TESSALY_SCREENSHOT_DIR");
  if (folder == nullptr || *folder == '\0') {
    return std::nullopt;
  }
  return DecodeUtf8(folder);
}

DialogAnswerer::DialogAnswerer(std::u16string caption, int button, DWORD limitMs)
    : thread_([this, caption = std::move(caption), button, limitMs] {
        Watch(caption, button, limitMs);
      }) {}

DialogAnswerer::~DialogAnswerer() {
  stop_ = true;
  Join();
}

void DialogAnswerer::Join() {
  if (thread_.joinable()) {
    thread_.join();
  }
}

void DialogAnswerer::Watch(std::u16string caption, int button, DWORD limitMs) {
  for (DWORD waited = 0; waited < limitMs && !stop_; waited += kPollMs) {
    const std::vector<HWND> found = TopLevelWindowsCaptioned(caption, GetCurrentProcessId());
    if (!found.empty()) {
      const HWND dialog = found.front();
      // Give the dialog its first paint, as a user would see it before clicking.
      Sleep(300);
      texts_ = ChildTexts(dialog);
      // A task dialog takes its command links' clicks as this message; a message box
      // takes the button's command. Whichever the dialog is, one of them ends it.
      SendMessageW(dialog, kTaskDialogClickButton, static_cast<WPARAM>(button), 0);
      if (IsWindow(dialog)) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      }
      answered_ = true;
      return;
    }
    Sleep(kPollMs);
  }
}

}  // namespace tessaly::win32
