#pragma once

#include <cstdint>

#include "config/xml/ElementTable.h"

namespace tessaly {

// The two tag lengths packed into ElementRecord::tagLengths.
inline constexpr unsigned kEndTagLengthShift = 22;
inline constexpr std::uint32_t kStartTagLengthMask = (1u << kEndTagLengthShift) - 1;

constexpr std::uint32_t StartTagLength(const ElementRecord& record) {
  return record.tagLengths & kStartTagLengthMask;
}

constexpr std::uint32_t EndTagLength(const ElementRecord& record) {
  return record.tagLengths >> kEndTagLengthShift;
}

constexpr std::uint32_t PackTagLengths(std::uint32_t startTag, std::uint32_t endTag) {
  return startTag | (endTag << kEndTagLengthShift);
}

}  // namespace tessaly
