#include "platform/RegistryValues.h"

#include <utility>

namespace tessaly {
namespace {

ReadResult ResultOf(RegistryStatus status) {
  return status == RegistryStatus::NotFound ? ReadResult::Missing : ReadResult::Failed;
}

}  // namespace

RegistryRead<std::uint32_t> ReadDword(const RegistryKey& key, std::u16string_view name) {
  RegistryValue value;
  const RegistryStatus status = key.ReadValue(name, value);
  if (status != RegistryStatus::Ok) {
    return {ResultOf(status), 0};
  }
  if (value.type != RegistryType::Dword || value.data.size() != 4) {
    return {ReadResult::WrongType, 0};
  }
  const std::uint32_t number = static_cast<std::uint32_t>(value.data[0]) |
                               static_cast<std::uint32_t>(value.data[1]) << 8 |
                               static_cast<std::uint32_t>(value.data[2]) << 16 |
                               static_cast<std::uint32_t>(value.data[3]) << 24;
  return {ReadResult::Ok, number};
}

RegistryRead<std::u16string> ReadString(const RegistryKey& key, std::u16string_view name,
                                        std::size_t maxBytes) {
  RegistryValue value;
  const RegistryStatus status = key.ReadValue(name, value);
  if (status != RegistryStatus::Ok) {
    return {ResultOf(status), {}};
  }
  if (value.type != RegistryType::String && value.type != RegistryType::ExpandString) {
    return {ReadResult::WrongType, {}};
  }
  // Stored strings need not be terminated; the text ends at the first zero or with the data.
  std::u16string text;
  for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
    const auto unit = static_cast<char16_t>(value.data[i] | value.data[i + 1] << 8);
    if (unit == u'\0') {
      break;
    }
    text.push_back(unit);
  }
  if ((text.size() + 1) * sizeof(char16_t) > maxBytes) {
    return {ReadResult::TooLong, {}};
  }
  return {ReadResult::Ok, std::move(text)};
}

RegistryValue DwordValue(std::uint32_t number) {
  return {RegistryType::Dword,
          {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
           static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)}};
}

RegistryValue StringValue(std::u16string_view text) {
  RegistryValue value{RegistryType::String, {}};
  value.data.reserve((text.size() + 1) * 2);
  for (const char16_t unit : text) {
    value.data.push_back(static_cast<std::uint8_t>(unit));
    value.data.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  value.data.push_back(0);
  value.data.push_back(0);
  return value;
}

RegistryStatus WriteDword(RegistryKey& key, std::u16string_view name, std::uint32_t number) {
  return key.WriteValue(name, DwordValue(number));
}

RegistryStatus WriteString(RegistryKey& key, std::u16string_view name, std::u16string_view text) {
  return key.WriteValue(name, StringValue(text));
}

}  // namespace tessaly
