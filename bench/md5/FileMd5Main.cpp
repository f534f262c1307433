// Prints the MD5 digest of one file as FileMd5Hex computes it: file_md5 PATH
#include <cstdio>
#include <string>

#include "bench/md5/StdioFileReader.h"
#include "platform/FileDigest.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: file_md5 PATH\n");
    return 2;
  }
  const std::string digest = tessaly::FileMd5Hex(tessaly::bench::StdioFileReader(), argv[1]);
  if (digest.empty()) {
    std::fprintf(stderr, "file_md5: cannot read %s\n", argv[1]);
    return 1;
  }
  std::printf("%s\n", digest.c_str());
  return 0;
}
