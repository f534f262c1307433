#include "diagnosis/CompatibilityList.h"

#include <limits>
#include <utility>

#include "diagnosis/HexText.h"

namespace tessaly {
namespace {

constexpr std::string_view kEmptyListText = "411f00005308adba00000000000000000100000000000000";
constexpr std::size_t kCountOffset = 8;
constexpr std::size_t kLengthOffset = 12;
constexpr std::size_t kSecondCountOffset = 20;
constexpr std::size_t kRandomDigitCount = 10;  // five bytes
constexpr int kRandomDraws = 12;

std::string LowerHexDigits(std::uint64_t number) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string reversed;
  do {
    reversed.push_back(kDigits[number & 0x0F]);
    number >>= 4;
  } while (number != 0);
  return {reversed.rbegin(), reversed.rend()};
}

std::vector<std::uint8_t> LittleEndianUnits(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

}  // namespace

CompatibilityList CompatibilityList::Empty() {
  return CompatibilityList(std::string(kEmptyListText));
}

std::optional<CompatibilityList> CompatibilityList::FromBlob(std::span<const std::uint8_t> blob) {
  if (blob.size() < kHeaderBytes) {
    return std::nullopt;
  }
  return CompatibilityList(HexText(blob));
}

bool CompatibilityList::Mentions(std::u16string_view domain) const {
  const std::uint8_t lengthHighByte = static_cast<std::uint8_t>(domain.size() >> 8 & 0xFF);
  const std::string pattern =
      HexText(std::span(&lengthHighByte, 1)) + HexText(LittleEndianUnits(domain));
  return text_.find(pattern) != std::string::npos;
}

bool CompatibilityList::Append(std::u16string_view domain, SeededRandom& random) {
  if (domain.size() > std::numeric_limits<std::uint16_t>::max()) {
    return false;
  }
  const std::uint32_t count = FieldAt(kCountOffset);
  if (count == std::numeric_limits<std::uint32_t>::max()) {
    return false;
  }
  const std::uint8_t length[] = {static_cast<std::uint8_t>(domain.size() & 0xFF),
                                 static_cast<std::uint8_t>(domain.size() >> 8)};
  const std::string entry = "0c000000" + EntryRandomDigits(random) + "84cd01" + "01000000" +
                            HexText(length) + HexText(LittleEndianUnits(domain));
  const std::size_t lengthAfterField = (text_.size() + entry.size()) / 2 - kLengthOffset;
  if (lengthAfterField > std::numeric_limits<std::uint32_t>::max()) {
    return false;
  }
  text_ += entry;
  SetFieldAt(kCountOffset, count + 1);
  SetFieldAt(kSecondCountOffset, count + 1);
  SetFieldAt(kLengthOffset, static_cast<std::uint32_t>(lengthAfterField));
  return true;
}

std::vector<std::uint8_t> CompatibilityList::Blob() const { return BytesOfHexText(text_); }

std::uint32_t CompatibilityList::FieldAt(std::size_t offset) const {
  const std::vector<std::uint8_t> bytes =
      BytesOfHexText(std::string_view(text_).substr(offset * 2, 8));
  std::uint32_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) {
    value = value << 8 | bytes[i];
  }
  return value;
}

// Header fields are written as full 32-bit numbers in lower-case digits. While a count
// stays below 256 and the length below 256 this changes only the field's first byte, as
// a single-byte update would; beyond that a single byte would no longer be the number.
void CompatibilityList::SetFieldAt(std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    const std::string digits = LowerHexDigits(0x100 | (value >> (8 * i) & 0xFF));
    text_.replace((offset + i) * 2, 2, digits.substr(1));
  }
}

std::string EntryRandomDigits(SeededRandom& random) {
  random.SeedWithCurrentTime();
  double sum = 0;
  float power = 1.0f;
  for (int draw = 0; draw < kRandomDraws; ++draw) {
    const unsigned digit = static_cast<unsigned>(random.Next()) % 10U;
    sum += static_cast<double>(digit) * static_cast<double>(power);
    power *= 10.0f;
  }
  // R stays below 10^12 < 16^10, so its text never runs past the ten digits kept.
  std::string digits = LowerHexDigits(static_cast<std::uint64_t>(sum));
  digits.resize(kRandomDigitCount, '0');
  return digits;
}

}  // namespace tessaly
