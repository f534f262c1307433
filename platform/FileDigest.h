#pragma once

#include <cstddef>
#include <string>

#include "platform/FileAccess.h"

namespace tessaly {

// The digest reads the file in blocks of this size. Only the digest is observable; large
// blocks keep the system calls few, so hashing a file costs what the MD5 itself costs.
inline constexpr std::size_t kDigestReadBlockBytes = 64 * 1024;

// The MD5 (RFC 1321) of the file's bytes as 32 lower-case hexadecimal digits. Empty when
// the file cannot be opened or a read fails on the way. Callers compare it exactly with
// the configured digest.
std::string FileMd5Hex(const FileReader& files, const std::string& ansiPath);

// The SHA-256 of the file's bytes as 64 lower-case hexadecimal digits; empty likewise.
std::string FileSha256Hex(const FileReader& files, const std::string& ansiPath);

// Whether the file has every digest given: `md5` exactly as configured (lower-case), `sha256`
// in either case; an empty digest is not checked. A file that cannot be named (empty path)
// has none.
bool FileHasDigests(const FileReader& files, const std::string& ansiPath, const std::string& md5,
                    const std::string& sha256);

}  // namespace tessaly
