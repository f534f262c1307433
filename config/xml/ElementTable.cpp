#include "config/xml/ElementTable.h"

#include <algorithm>

namespace tessaly {

namespace {

// Slots a page holds when the table has `capacity` records in all.
std::size_t PageSlots(std::size_t capacity, std::size_t page) {
  const std::size_t first = page * ElementTable::kPageRecords;
  return capacity <= first ? 0 : std::min(ElementTable::kPageRecords, capacity - first);
}

}  // namespace

void ElementTable::Reserve(std::size_t records) {
  if (records > capacity_) Resize(records);
}

void ElementTable::GrowFor(std::size_t index) {
  if (index < capacity_) return;
  // Growing by half keeps appends amortised constant; the cap at the end of the page after
  // the last one in use keeps a huge table from over-allocating by up to half its size.
  const std::size_t lastPageInUse = capacity_ == 0 ? 0 : (capacity_ - 1) / kPageRecords;
  const std::size_t grown = std::min(capacity_ + capacity_ / 2, (lastPageInUse + 2) * kPageRecords);
  Resize(std::max(grown, index + 1));
}

void ElementTable::Resize(std::size_t records) {
  const std::size_t pageCount = (records + kPageRecords - 1) / kPageRecords;
  const std::size_t firstChanged = capacity_ / kPageRecords;  // the old last page, if partial
  pages_.resize(pageCount);
  for (std::size_t page = firstChanged; page < pageCount; ++page) {
    const std::size_t oldSlots = PageSlots(capacity_, page);
    const std::size_t newSlots = PageSlots(records, page);
    if (newSlots == oldSlots) continue;
    auto grown = std::make_unique<ElementRecord[]>(newSlots);
    if (oldSlots != 0) std::copy_n(pages_[page].get(), oldSlots, grown.get());
    pages_[page] = std::move(grown);
  }
  capacity_ = records;
}

}  // namespace tessaly
