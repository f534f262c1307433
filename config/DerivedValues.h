#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/CodePages.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"

namespace tessaly {

// The byte buffers of the ANSI path calls: 259 bytes and the terminator.
inline constexpr std::size_t kMaxPathBytes = 260;
// The longest URL the platform's HTTP layer accepts; a longer one cannot be downloaded.
inline constexpr std::size_t kMaxUrlBytes = 2083;

// A value containing "://" is already absolute and comes back unchanged; any other value
// gets `base` put directly in front (the base ends with "/", no separator is added). A
// result longer than kMaxUrlBytes is no usable URL and comes back empty, which also keeps a
// huge base from being copied into every installer of a document.
std::string ResolveAgainstBase(std::string_view value, std::string_view base);

// The local path a download of `url` (UTF-8) goes to: the file name after the URL's last
// "/" or "\" inside the folder "DownTmp" of the user's temporary folder, which is created
// when missing (a failure to create it is ignored). A URL ending in a separator gives the
// folder itself, with its trailing backslash. The answer is UTF-8.
//
// The path never leaves the folder: an empty answer (nothing is to be downloaded) comes for
// an empty URL, a name that Windows would read as a drive, stream or device, or as "." or
// ".." once it strips trailing dots and spaces, a path that does not fit kMaxPathBytes in
// the ANSI code page (never a truncated one), a missing temporary folder, or a failed
// conversion.
std::string DownloadPathFor(const CodePages& codePages, const FileSystem& fileSystem,
                            std::string_view url);

// `text` (UTF-8) with its %NAME% references expanded as the running 32-bit process sees
// them, in UTF-8. Empty when a conversion or the expansion fails, or when the expanded ANSI
// text does not fit kMaxPathBytes.
std::string ExpandEnvironmentUtf8(const CodePages& codePages, const Environment& environment,
                                  std::string_view text);

}  // namespace tessaly
