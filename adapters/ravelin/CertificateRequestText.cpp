#include "adapters/ravelin/CertificateRequestText.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace tessaly::ravelin {
namespace {

struct SubjectAttribute {
  std::string_view name;
  std::string_view oid;
};

constexpr std::array<SubjectAttribute, 17> kSubjectAttributeTable{{
    {"CN", "2.5.4.3"},
    {"O", "2.5.4.10"},
    {"OU", "2.5.4.11"},
    {"C", "2.5.4.6"},
    {"L", "2.5.4.7"},
    {"E", "1.2.840.113549.1.9.1"},
    {"EMAIL", "1.2.840.113549.1.9.1"},
    {"S", "2.5.4.8"},
    {"SN", "2.5.4.4"},
    {"ST", "2.5.4.8"},
    {"STREET", "2.5.4.9"},
    {"T", "2.5.4.12"},
    {"TITLE", "2.5.4.12"},
    {"G", "2.5.4.42"},
    {"GIVENNAME", "2.5.4.42"},
    {"I", "2.5.4.43"},
    {"INITIALS", "2.5.4.43"},
}};

constexpr std::string_view kBeginLine = "-----BEGIN CERTIFICATE-----";
constexpr std::string_view kEndLine = "-----END CERTIFICATE-----";
constexpr std::size_t kMaxCleanedText = 8191;

std::optional<SubjectComponent> ParsePart(std::string_view part) {
  const std::size_t equals = part.find('=');
  if (equals == std::string_view::npos) {
    return std::nullopt;
  }
  std::string name;
  for (const char c : part.substr(0, equals)) {
    if (c != ' ') {
      name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  const auto attribute = std::find_if(kSubjectAttributeTable.begin(), kSubjectAttributeTable.end(),
                                      [&](const SubjectAttribute& a) { return a.name == name; });
  std::string_view value = part.substr(equals + 1);
  value.remove_prefix(std::min(value.find_first_not_of(' '), value.size()));
  if (attribute == kSubjectAttributeTable.end() || value.size() > kMaxSubjectValue) {
    return std::nullopt;
  }
  return SubjectComponent{std::string(attribute->oid), std::string(value)};
}

std::uint8_t Sextet(char c) {
  static constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::size_t index = kAlphabet.find(c);
  return index == std::string_view::npos ? 0 : static_cast<std::uint8_t>(index);
}

}  // namespace

std::optional<std::vector<SubjectComponent>> ParseSubject(std::string_view subject) {
  const auto commas = static_cast<std::size_t>(std::count(subject.begin(), subject.end(), ','));
  if (commas + 1 > kMaxSubjectComponents) {
    return std::nullopt;
  }
  std::vector<SubjectComponent> components;
  std::size_t start = 0;
  while (start <= subject.size()) {
    const std::size_t comma = std::min(subject.find(',', start), subject.size());
    if (comma > start) {
      std::optional<SubjectComponent> component = ParsePart(subject.substr(start, comma - start));
      if (!component) {
        return std::nullopt;
      }
      components.push_back(std::move(*component));
    }
    start = comma + 1;
  }
  // Every comma promised one more component; an empty one makes no subject name.
  if (components.size() != commas + 1) {
    return std::nullopt;
  }
  return components;
}

bool IsPrintableString(std::string_view text) {
  constexpr std::string_view kPunctuation = " '()+,-./:=?";
  return std::all_of(text.begin(), text.end(), [&](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           kPunctuation.find(c) != std::string_view::npos;
  });
}

std::string EncodeBase64(std::span<const std::uint8_t> bytes) {
  std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(),
                                     static_cast<int>(bytes.size()));
  text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return text;
}

std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text) {
  const std::size_t length = text.size();
  if (length % 4 != 0) {
    return std::nullopt;
  }
  const std::size_t firstPad = text.find('=');
  std::size_t padding = 0;
  if (firstPad != std::string_view::npos) {
    if (firstPad + 2 < length || (firstPad + 2 == length && text[length - 1] != '=')) {
      return std::nullopt;
    }
    padding = length - firstPad;
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(3 * (length / 4));
  for (std::size_t i = 0; i < length; i += 4) {
    const std::uint32_t group = (std::uint32_t{Sextet(text[i])} << 18) |
                                (std::uint32_t{Sextet(text[i + 1])} << 12) |
                                (std::uint32_t{Sextet(text[i + 2])} << 6) | Sextet(text[i + 3]);
    bytes.push_back(static_cast<std::uint8_t>(group >> 16));
    bytes.push_back(static_cast<std::uint8_t>(group >> 8));
    bytes.push_back(static_cast<std::uint8_t>(group));
  }
  bytes.resize(bytes.size() - padding);
  return bytes;
}

std::string CleanCertificateText(std::string_view text) {
  if (text.starts_with(kBeginLine)) {
    text.remove_prefix(kBeginLine.size());
  }
  std::string cleaned;
  for (const char c : text) {
    if (c != '\r' && c != '\n') {
      cleaned += c;
    }
  }
  cleaned.resize(std::min(cleaned.find(kEndLine), cleaned.size()));
  cleaned.resize(std::min(cleaned.size(), kMaxCleanedText));
  return cleaned;
}

}  // namespace tessaly::ravelin
