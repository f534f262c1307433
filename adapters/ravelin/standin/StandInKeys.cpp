#include "adapters/ravelin/standin/StandInKeys.h"

#include <charconv>
#include <sstream>

namespace tessaly::ravelin::standin {
namespace {

template <typename Number>
std::optional<Number> ParseNumber(const std::string& text, int base = 10) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

bool ApplyKeyDirective(StandInKey& key, const std::string& directive, std::istringstream& words) {
  std::string word;
  if (directive == "serial") {
    return static_cast<bool>(words >> key.serial);
  }
  if (directive == "select-fails") { key.selectFails = true; return true; }
  if (directive == "master-key-fails") { key.masterKeyFails = true; return true; }
  if (directive == "auth-fails") { key.authFails = true; return true; }
  if (!(words >> word)) {
    return false;
  }
  if (directive == "serial-length") {
    key.reportedSerialLength = ParseNumber<std::uint32_t>(word);
    return key.reportedSerialLength.has_value();
  }
  if (directive == "reset-answer") {
    auto bytes = ParseHex(word);
    key.resetAnswer = bytes.value_or(std::vector<std::uint8_t>{});
    return bytes.has_value();
  }
  if (directive == "key-form") {
    key.oldFormOnly = word == "old";
    return word == "old" || word == "new";
  }
  if (directive == "default-pin-status" || directive == "pin-status") {
    const auto status = ParseNumber<std::uint16_t>(word, 16);
    (directive == "pin-status" ? key.pinStatus : key.defaultPinStatus) = status.value_or(0);
    return status.has_value();
  }
  if (directive == "pin-flags") {
    key.pinFlags = ParseHex(word);
    return key.pinFlags && key.pinFlags->size() == 4;
  }
  if (directive == "pin-flags-read-fails") {
    key.pinFlagReadFailures = ParseNumber<int>(word).value_or(-1);
    return key.pinFlagReadFailures >= 0;
  }
  if (directive == "container") {
    StandInContainer container{word, true, {}};
    if (words >> word) {
      if (word != "unopenable") {
        return false;
      }
      container.openable = false;
    }
    key.containers.push_back(std::move(container));
    return true;
  }
  if (directive == "certificate" && !key.containers.empty()) {
    StandInCertificate certificate;
    certificate.keySpec = word == "signature" ? 2 : word == "exchange" ? 1 : 0;
    std::string hex;
    auto der = (words >> hex) ? ParseHex(hex) : std::nullopt;
    if (certificate.keySpec == 0 || !der) {
      return false;
    }
    certificate.der = std::move(*der);
    if (words >> word) {
      std::string length;
      if (word != "reported-length" || !(words >> length)) {
        return false;
      }
      certificate.reportedLength = ParseNumber<std::uint32_t>(length);
      if (!certificate.reportedLength) {
        return false;
      }
    }
    key.containers.back().certificates.push_back(std::move(certificate));
    return true;
  }
  return false;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view hex) {
  if (hex.size() % 2 != 0) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    std::uint8_t byte = 0;
    const auto [end, error] = std::from_chars(hex.data() + i, hex.data() + i + 2, byte, 16);
    if (error != std::errc() || end != hex.data() + i + 2) {
      return std::nullopt;
    }
    bytes.push_back(byte);
  }
  return bytes;
}

std::optional<StandInKeys> ParseStandInKeys(std::string_view text) {
  StandInKeys keys;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string directive;
    if (!(words >> directive) || directive[0] == '#') {
      continue;
    }
    if (directive == "context-fails") {
      keys.contextFails = true;
    } else if (directive == "slot-list-fails") {
      keys.slotListFails = true;
    } else if (directive == "key") {
      std::string slot;
      const auto number = (words >> slot) ? ParseNumber<std::uint32_t>(slot) : std::nullopt;
      if (!number) {
        return std::nullopt;
      }
      keys.keys.push_back(StandInKey{});
      keys.keys.back().slot = *number;
    } else if (keys.keys.empty() || !ApplyKeyDirective(keys.keys.back(), directive, words)) {
      return std::nullopt;
    }
  }
  return keys;
}

}  // namespace tessaly::ravelin::standin
