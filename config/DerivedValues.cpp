#include "config/DerivedValues.h"

#include <array>

#include "config/TextConversion.h"

namespace tessaly {
namespace {

constexpr std::string_view kDownloadFolder = "DownTmp";

// Everything after the last separator; Windows takes "\" as one too, so a URL's "..\x"
// must not count as a plain file name.
std::string_view LastPathSegment(std::string_view url) {
  const std::size_t separator = url.find_last_of("/\\");
  return separator == std::string_view::npos ? url : url.substr(separator + 1);
}

char16_t AsciiUpper(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Windows opens these names as devices in any folder, with or without an extension.
bool IsDeviceName(std::u16string_view name) {
  std::u16string_view stem = name.substr(0, name.find(u'.'));
  while (!stem.empty() && stem.back() == u' ') {
    stem.remove_suffix(1);
  }
  std::u16string upper(stem);
  for (char16_t& c : upper) {
    c = AsciiUpper(c);
  }
  constexpr std::array<std::u16string_view, 6> kDevices{u"CON", u"PRN",    u"AUX",
                                                        u"NUL", u"CONIN$", u"CONOUT$"};
  for (std::u16string_view device : kDevices) {
    if (upper == device) {
      return true;
    }
  }
  // COM0-COM9 and LPT0-LPT9, and the superscript digits Windows also accepts there.
  if (upper.size() == 4 && (upper.starts_with(u"COM") || upper.starts_with(u"LPT"))) {
    const char16_t digit = upper[3];
    return (digit >= u'0' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' ||
           digit == u'\u00B3';
  }
  return false;
}

// Judged on the text Windows will see. A separator, a colon (drive-relative path, alternate
// data stream) or a NUL (which ends the path early) could point outside the folder, and a
// name of only dots and spaces is stripped to "." or "..".
bool IsNameInsideFolder(std::u16string_view name) {
  constexpr std::u16string_view kForbidden(u"/\\:\0", 4);
  if (name.find_first_of(kForbidden) != std::u16string_view::npos) {
    return false;
  }
  if (name.find_first_not_of(u". ") == std::u16string_view::npos) {
    return false;
  }
  return !IsDeviceName(name);
}

}  // namespace

std::string ResolveAgainstBase(std::string_view value, std::string_view base) {
  const bool absolute = value.find("://") != std::string_view::npos;
  const std::size_t length = absolute ? value.size() : base.size() + value.size();
  if (length > kMaxUrlBytes) {
    return {};
  }
  std::string url;
  url.reserve(length);
  if (!absolute) {
    url.append(base);
  }
  url.append(value);
  return url;
}

std::string DownloadPathFor(const CodePages& codePages, const FileSystem& fileSystem,
                            std::string_view url) {
  if (url.empty()) {
    return {};
  }
  const std::string_view name = LastPathSegment(url);
  std::string nameAnsi;
  if (!name.empty()) {
    nameAnsi = Utf8ToAnsi(codePages, name);
    // Checked after the round trip through the ANSI code page, because a best-fit
    // conversion turns fullwidth forms such as U+FF0F or U+FF0E into "/" and ".".
    if (nameAnsi.empty() ||
        !IsNameInsideFolder(MultiByteToWideText(codePages, kCodePageAnsi, nameAnsi))) {
      return {};
    }
  }
  // The platform hands the folder over with its trailing backslash.
  std::string folder = fileSystem.TempDirectoryAnsi();
  if (folder.empty()) {
    return {};
  }
  folder += kDownloadFolder;
  std::string path = folder + '\\' + nameAnsi;
  if (path.size() >= kMaxPathBytes) {
    return {};
  }
  // A folder that cannot be created shows up later as a failed download.
  fileSystem.CreateDirectoryAnsi(folder);
  return AnsiToUtf8(codePages, path);
}

std::string ExpandEnvironmentUtf8(const CodePages& codePages, const Environment& environment,
                                  std::string_view text) {
  const std::string ansi = Utf8ToAnsi(codePages, text);
  if (ansi.empty()) {
    return {};
  }
  const std::string expanded = environment.ExpandAnsi(ansi);
  if (expanded.size() >= kMaxPathBytes) {
    return {};
  }
  return AnsiToUtf8(codePages, expanded);
}

}  // namespace tessaly
