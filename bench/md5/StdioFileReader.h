#pragma once

#include "platform/FileAccess.h"

namespace tessaly::bench {

// Files through the C library, for running the digest on the build machine. Unbuffered: the
// digest reads in large blocks of its own.
class StdioFileReader final : public FileReader {
 public:
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) const override;
};

}  // namespace tessaly::bench
