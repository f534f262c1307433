#include "tests/ravelin/RavelinTestServices.h"

#include <cstdio>
#include <string>

#include "adapters/ravelin/InstalledMiddlewareFiles.h"

namespace tessaly::ravelin {

std::vector<std::uint8_t> FakeDer(const std::string& content) {
  std::vector<std::uint8_t> der;
  der.reserve(content.size() + 4);
  der.push_back(0x30);
  der.push_back(0x82);
  der.push_back(static_cast<std::uint8_t>(content.size() >> 8));
  der.push_back(static_cast<std::uint8_t>(content.size() & 0xFF));
  for (const char c : content) {
    der.push_back(static_cast<std::uint8_t>(c));
  }
  return der;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", byte);
    text += digits;
  }
  return text;
}

std::string KeyText(const std::string& serial, std::uint32_t slot, const std::string& more) {
  // 15 bytes; the stand-in authenticates only the key derived from it.
  constexpr char kResetAnswer[] = "3b9f95801fc78031e073fe211b6357";
  return "key " + std::to_string(slot) + "\nserial " + serial + "\nreset-answer " + kResetAnswer +
         "\n" + more;
}

std::optional<KeyCertificate> TableCertificateReader::Read(std::span<const std::uint8_t> der) const {
  const auto found = entries.find({der.begin(), der.end()});
  if (found == entries.end()) {
    return std::nullopt;
  }
  return found->second.certificate;
}

std::optional<std::uint32_t> TableCertificateReader::ChainErrorStatus(
    std::span<const std::uint8_t> der) const {
  chainsBuilt.emplace_back(der.begin(), der.end());
  const auto found = entries.find({der.begin(), der.end()});
  if (found == entries.end()) {
    return std::nullopt;
  }
  return found->second.chainStatus;
}

std::optional<std::string> PlantedMiddleware::ReadMachineString(std::string_view keyPath,
                                                                std::string_view valueName,
                                                                bool thirtyTwoBitView) const {
  const auto found =
      registry.find({std::string(keyPath), std::string(valueName), thirtyTwoBitView});
  if (found == registry.end()) {
    return std::nullopt;
  }
  return found->second;
}

std::string PlantedMiddleware::ReadIniValue(const std::string& file, std::string_view section,
                                            std::string_view name) const {
  const auto found = ini.find({file, std::string(section), std::string(name)});
  return found == ini.end() ? std::string() : found->second;
}

void PlantedMiddleware::InstallComplete(const std::string& version) {
  registry[{std::string(kUninstallKey), "DisplayVersion", native64}] = version;
  for (const auto& [directory, view] : {std::pair{SystemDirectory(FileView::ThirtyTwoBit), FileView::ThirtyTwoBit},
                                        std::pair{SystemDirectory(FileView::Native), FileView::Native}}) {
    for (const std::string_view file : kThirtyTwoBitFolderFiles) {
      files.insert({directory + std::string(kMiddlewareFolder) + std::string(file), view});
    }
    files.insert({directory + "\\" + std::string(kSystemDirectoryFile), view});
  }
}

}  // namespace tessaly::ravelin
