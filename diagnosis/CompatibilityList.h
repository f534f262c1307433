#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SeededRandom.h"

namespace tessaly {

// The browser's compatibility-view list, the binary value `UserFilter`, kept as the
// hexadecimal text of its bytes because that is how it is searched and extended. The blob
// (numbers little-endian):
//   0  41 1F 00 00 | 4  53 08 AD BA | 8  entry count | 12 bytes from offset 12 to the end
//   16 01 00 00 00 | 20 entry count (again) | 24 the entries
// and an entry for a domain of n UTF-16 code units:
//   0  0C 00 00 00 | 4  five pseudo-random bytes | 9  84 CD 01 | 12 01 00 00 00
//   16 n, 16-bit   | 18 the domain in UTF-16 little-endian
//
// An existing blob is taken as it stands; only its header fields are rewritten when an
// entry is appended, so whatever the browser stored there survives.
class CompatibilityList {
 public:
  static constexpr std::size_t kHeaderBytes = 24;

  // The header of a list without entries.
  static CompatibilityList Empty();
  // A stored blob; nothing when it is too short to hold the header, since then there are
  // no header fields to update.
  static std::optional<CompatibilityList> FromBlob(std::span<const std::uint8_t> blob);

  // Whether the text of the list contains the domain as an entry stores it: the high byte
  // of the length field followed by the domain's code units. The comparison is exact, so a
  // domain stored in another letter case is not found.
  bool Mentions(std::u16string_view domain) const;

  // Appends an entry for the domain and counts it in the header. False, leaving the list as
  // it was, when the domain is too long for the 16-bit length field or the header's count or
  // length would no longer fit 32 bits.
  bool Append(std::u16string_view domain, SeededRandom& random);

  // The hexadecimal text: upper case where it was rendered from bytes, lower case where the
  // fixed parts, the random digits and the header fields were written in.
  const std::string& Text() const { return text_; }
  std::vector<std::uint8_t> Blob() const;

 private:
  explicit CompatibilityList(std::string text) : text_(std::move(text)) {}

  std::uint32_t FieldAt(std::size_t offset) const;
  void SetFieldAt(std::size_t offset, std::uint32_t value);

  std::string text_;
};

// The ten hexadecimal digits of an entry's five pseudo-random bytes. The generator is
// seeded with the current time; twelve draws d0..d11 (each rand() % 10) form
// R = d0·10^0 + ... + d11·10^11 with the powers of ten in single precision, and the first ten
// characters of R in lower-case hexadecimal, padded with "0", are the digits.
std::string EntryRandomDigits(SeededRandom& random);

}  // namespace tessaly
