#include "bench/md5/StdioFileReader.h"

#include <cstdio>

namespace tessaly::bench {
namespace {

class StdioFile final : public ReadableFile {
 public:
  explicit StdioFile(std::FILE* file) : file_(file) {}
  ~StdioFile() override { std::fclose(file_); }
  StdioFile(const StdioFile&) = delete;
  StdioFile& operator=(const StdioFile&) = delete;

  FileReadResult Read(std::span<char> buffer) override {
    const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), file_);
    if (count == 0 && std::ferror(file_) != 0) {
      return {};
    }
    return {.ok = true, .count = count};
  }

 private:
  std::FILE* file_;
};

}  // namespace

std::unique_ptr<ReadableFile> StdioFileReader::OpenForReading(const std::string& path) const {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return nullptr;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);
  return std::make_unique<StdioFile>(file);
}

}  // namespace tessaly::bench
