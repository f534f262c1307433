#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace tessaly {

// One element of a parsed document: 32 bytes of offsets, packed lengths and links.
struct ElementRecord {
  std::int32_t start = 0;        // offset of the '<' that opens the start tag
  std::uint32_t length = 0;      // start tag to end of end tag (start tag only if empty/unended)
  std::uint32_t tagLengths = 0;  // bits 0-21 start-tag length, bits 22-31 end-tag length
  std::uint32_t flags = 0;       // bits 0-15 depth, plus the k... flags below
  std::uint32_t parent = 0;
  std::uint32_t firstChild = 0;
  std::uint32_t nextSibling = 0;
  std::uint32_t previousSibling = 0;  // in a first child: the last sibling
};
static_assert(sizeof(ElementRecord) == 32);

inline constexpr std::uint32_t kDepthMask = 0x0000FFFF;
inline constexpr std::uint32_t kFlagFirstChild = 0x00080000;
inline constexpr std::uint32_t kFlagUnended = 0x00100000;
inline constexpr std::uint32_t kFlagBadContent = 0x00200000;
inline constexpr std::uint32_t kFlagDocumentUnsound = 0x00800000;  // record 0 only

inline constexpr std::uint32_t kMaxStartTagLength = 0x3FFFFF;  // 4,194,303
inline constexpr std::uint32_t kMaxEndTagLength = 0x3FF;       // 1,023
inline constexpr std::uint32_t kMaxDepth = 0xFFFF;             // 65,535

// Records by element index, in pages of 65,536. Indices are stable; record addresses
// are not (the last page is reallocated as it grows). Full pages keep their 65,536 slots;
// only the last page is sized to the capacity, so a small document costs a small table.
class ElementTable {
 public:
  static constexpr std::size_t kPageRecords = 65536;

  ElementTable() = default;
  // A moved-from table is empty, not a capacity without pages.
  ElementTable(ElementTable&& other) noexcept
      : pages_(std::move(other.pages_)), capacity_(std::exchange(other.capacity_, 0)) {}
  ElementTable& operator=(ElementTable&& other) noexcept {
    pages_ = std::move(other.pages_);
    capacity_ = std::exchange(other.capacity_, 0);
    return *this;
  }

  // Ensures room for at least `records` records; never shrinks.
  void Reserve(std::size_t records);
  // Ensures room for index `index`, growing by half (but never more than one page past
  // the last page in use) when it is at the capacity.
  void GrowFor(std::size_t index);
  std::size_t Capacity() const { return capacity_; }
  // Bytes allocated for records.
  std::size_t AllocatedBytes() const { return capacity_ * sizeof(ElementRecord); }

  ElementRecord& operator[](std::size_t index) {
    return pages_[index / kPageRecords][index % kPageRecords];
  }
  const ElementRecord& operator[](std::size_t index) const {
    return pages_[index / kPageRecords][index % kPageRecords];
  }

 private:
  // Sets the capacity to `records`, allocating missing pages and reallocating the last
  // partial page (its records copied) when it grows.
  void Resize(std::size_t records);

  std::vector<std::unique_ptr<ElementRecord[]>> pages_;
  std::size_t capacity_ = 0;
};

}  // namespace tessaly
