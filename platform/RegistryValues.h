#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace tessaly {

// Typed reading and writing over RegistryKey. A read tells "missing", "wrong type" and
// "too long" apart, because callers treat them differently (a wrong type is rewritten, a
// missing value takes a default, an over-long text is no text at all).
enum class ReadResult { Ok, Missing, WrongType, TooLong, Failed };

template <typename T>
struct RegistryRead {
  ReadResult result = ReadResult::Failed;
  T value{};
  bool ok() const { return result == ReadResult::Ok; }
};

// A REG_DWORD of exactly four bytes.
RegistryRead<std::uint32_t> ReadDword(const RegistryKey& key, std::u16string_view name);
// A REG_SZ or REG_EXPAND_SZ, up to its first zero. `maxBytes` is the size of the buffer
// the value must fit, terminator included; a longer value is TooLong, never cut.
RegistryRead<std::u16string> ReadString(const RegistryKey& key, std::u16string_view name,
                                        std::size_t maxBytes);

// The stored form of a number (REG_DWORD) and of a text (REG_SZ with its terminating zero).
RegistryValue DwordValue(std::uint32_t number);
RegistryValue StringValue(std::u16string_view text);

RegistryStatus WriteDword(RegistryKey& key, std::u16string_view name, std::uint32_t value);
// Writes REG_SZ with its terminating zero.
RegistryStatus WriteString(RegistryKey& key, std::u16string_view name, std::u16string_view text);

}  // namespace tessaly
