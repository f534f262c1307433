#pragma once

#include <cstdint>

namespace tessaly {

// A component item's state word: the low 30 bits are the state code (kItemState* of
// config/CheckConfig.h).
inline constexpr std::uint32_t kItemStateCodeMask = 0x3FFFFFFFu;

// Flag bits of a component item's state word above its state code.
inline constexpr std::uint32_t kItemDisabledInBrowser = 1u << 30;
inline constexpr std::uint32_t kItemNoKeyAttached = 1u << 31;

// The part of a driver item's state that counts for the verdict: whether its key is
// attached (bit 31), and bits 28 to 30, do not make a driver need attention.
inline constexpr std::uint32_t kDriverVerdictMask = 0x0FFFFFFFu;

// The page receives a state word as a 32-bit signed integer: the same bits.
constexpr std::int32_t StateForPage(std::uint32_t state) { return static_cast<std::int32_t>(state); }

}  // namespace tessaly
