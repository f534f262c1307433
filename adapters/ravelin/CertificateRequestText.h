#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::ravelin {

// One attribute of a request's subject.
struct SubjectComponent {
  std::string oid;    // at most 31 characters
  std::string value;  // at most 255 characters
  bool operator==(const SubjectComponent&) const = default;
};

inline constexpr std::size_t kMaxSubjectComponents = 17;
inline constexpr std::size_t kMaxSubjectValue = 255;

// "CN=Name, O=Bank, C=CN": comma-separated "name=value" parts whose names (spaces removed,
// any case) are in the subject attribute table; values lose their leading spaces only.
// Nothing for more than 17 components, a part without "=", an unknown name, a value longer
// than 255 characters, or a run of commas (which leaves a component empty).
std::optional<std::vector<SubjectComponent>> ParseSubject(std::string_view subject);

// Whether every character is one of ASN.1's PrintableString set: letters, digits, space and
// ' ( ) + , - . / : = ?. A request's subject values are encoded as PrintableString, which
// Windows' encoder refuses to do for any other character.
bool IsPrintableString(std::string_view text);

// Standard alphabet, "=" padding, no line breaks.
std::string EncodeBase64(std::span<const std::uint8_t> bytes);
// The length must be a multiple of 4 and "=" may stand only in the last two places (and in
// the second-to-last only when the last is "=" too). Characters outside the alphabet are
// taken as zero bits rather than refused, as the certification authority's tools expect.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);

// A certificate text as a certification authority hands it out: an optional BEGIN line
// skipped, line breaks dropped, cut at the END line. At most 8191 characters.
std::string CleanCertificateText(std::string_view text);

}  // namespace tessaly::ravelin
