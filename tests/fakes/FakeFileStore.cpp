#include "tests/fakes/FakeFileStore.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tessaly {
namespace {

class FakeReadableFile final : public ReadableFile {
 public:
  FakeReadableFile(std::string bytes, std::optional<std::size_t> breaksAfter, std::size_t largestRead)
      : bytes_(std::move(bytes)), breaksAfter_(breaksAfter), largestRead_(largestRead) {}

  FileReadResult Read(std::span<char> buffer) override {
    std::size_t available = bytes_.size() - position_;
    if (breaksAfter_) {
      if (position_ >= *breaksAfter_ && available > 0) {
        return {};
      }
      available = std::min(available, *breaksAfter_ - std::min(position_, *breaksAfter_));
    }
    const std::size_t count = std::min({buffer.size(), available, largestRead_});
    std::memcpy(buffer.data(), bytes_.data() + position_, count);
    position_ += count;
    return {.ok = true, .count = count};
  }

 private:
  std::string bytes_;
  std::optional<std::size_t> breaksAfter_;
  std::size_t largestRead_;
  std::size_t position_ = 0;
};

class FakeWritableFile final : public WritableFile {
 public:
  FakeWritableFile(std::shared_ptr<FakeFileStore::State> state, std::u16string path,
                   const FakeFileStore& store)
      : state_(std::move(state)), path_(std::move(path)), store_(store) {
    state_->openForWriting.insert(path_);
    state_->files[path_].clear();
  }
  ~FakeWritableFile() override { Close(); }
  FakeWritableFile(const FakeWritableFile&) = delete;
  FakeWritableFile& operator=(const FakeWritableFile&) = delete;

  bool Write(std::span<const char> bytes) override {
    if (!open_) {
      return false;
    }
    std::string& content = state_->files[path_];
    std::size_t fits = bytes.size();
    if (store_.diskCapacity) {
      const std::uint64_t used = content.size();
      const std::uint64_t room = *store_.diskCapacity > used ? *store_.diskCapacity - used : 0;
      fits = static_cast<std::size_t>(std::min<std::uint64_t>(room, bytes.size()));
    }
    content.append(bytes.data(), fits);
    if (fits < bytes.size()) {
      return false;
    }
    if (store_.afterWrite) {
      store_.afterWrite();
    }
    return true;
  }

  std::optional<std::uint64_t> Size() const override {
    if (!open_) {
      return std::nullopt;
    }
    return state_->files[path_].size();
  }

  bool Close() override {
    if (!open_) {
      return false;
    }
    open_ = false;
    state_->openForWriting.erase(path_);
    return true;
  }

 private:
  std::shared_ptr<FakeFileStore::State> state_;
  std::u16string path_;
  const FakeFileStore& store_;
  bool open_ = true;
};

std::u16string WidenBytes(const std::string& ansi) {
  std::u16string wide;
  for (const char c : ansi) {
    wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  }
  return wide;
}

}  // namespace

const std::string* FakeFileStore::Find(const std::u16string& path) const {
  const auto file = state_->files.find(path);
  return file == state_->files.end() ? nullptr : &file->second;
}

std::unique_ptr<ReadableFile> FakeFileStore::OpenForReading(const std::string& ansiPath) const {
  const std::u16string path = WidenBytes(ansiPath);
  const std::string* bytes = Find(path);
  if (bytes == nullptr || state_->openForWriting.contains(path)) {
    return nullptr;
  }
  return std::make_unique<FakeReadableFile>(*bytes, readBreaksAfterBytes, largestRead);
}

std::unique_ptr<WritableFile> FakeFileStore::CreateExclusive(const std::u16string& path) const {
  if (path.empty() || uncreatable.contains(path) || state_->openForWriting.contains(path)) {
    return nullptr;
  }
  return std::make_unique<FakeWritableFile>(state_, path, *this);
}

bool FakeFileStore::Delete(const std::u16string& path) const {
  if (state_->openForWriting.contains(path) || state_->files.erase(path) == 0) {
    return false;
  }
  ++state_->deletions;
  return true;
}

bool FakeFileStore::Replace(const std::u16string& staged, const std::u16string& path) const {
  const auto source = state_->files.find(staged);
  if (source == state_->files.end() || state_->openForWriting.contains(staged) ||
      state_->openForWriting.contains(path) || inUse.contains(path)) {
    return false;
  }
  std::string bytes = std::move(source->second);
  state_->files.erase(source);
  state_->files[path] = std::move(bytes);
  return true;
}

}  // namespace tessaly
