// libFuzzer target for the signature comment of a check-item document, which arrives from
// the network before anything has been verified. Each input is split; what the split
// answers must describe the input exactly. The input is also used as a body under a
// signature comment made for it, which must split back into that body and signature.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/DocumentSignature.h"
#include "fuzz/Invariant.h"

namespace tessaly::fuzz {
namespace {

// A key no input can have signed for: verification must answer, never crash.
constexpr DocumentKey kSomeKey{{0x3d, 0x40, 0x17, 0xc3, 0xe8, 0x43, 0x89, 0x5a, 0x92, 0xb7, 0x0a,
                                0xa7, 0x4d, 0x1b, 0x7e, 0xbc, 0x9c, 0x98, 0x2c, 0xcf, 0x2e, 0xc4,
                                0x96, 0x8c, 0xc0, 0xcd, 0x55, 0xf1, 0x2a, 0xf4, 0x66, 0x0c}};

void CheckSplit(std::string_view input) {
  const std::optional<SignedDocument> split = SplitSignedDocument(input);
  if (!split) {
    return;
  }
  Require(input.starts_with(split->body), "the body is the input's beginning");
  Require(split->body.find(kSignatureCommentOpening) == std::string_view::npos,
          "the body holds no second signature comment");
  std::string rest(input.substr(split->body.size()));
  rest.erase(rest.find_last_not_of("\r\n") + 1);
  std::string comment = SignatureComment(split->sequence, split->signature);
  comment.pop_back();  // its line end
  Require(rest == comment, "the comment is the one canonical spelling of what was split");
  Require(!IsSignedByOneOf(*split, std::span(&kSomeKey, 1)), "no input is signed by the key");
}

void CheckRoundTrip(std::string_view input) {
  if (input.find(kSignatureCommentOpening) != std::string_view::npos) {
    return;
  }
  DocumentSignatureBytes signature{};
  std::copy_n(input.begin(), std::min(input.size(), signature.size()), signature.begin());
  const auto sequence = static_cast<std::uint32_t>(input.size() * 2654435761u);
  const std::string document = std::string(input) + SignatureComment(sequence, signature);
  const std::optional<SignedDocument> split = SplitSignedDocument(document);
  Require(split.has_value(), "a body with its comment splits");
  Require(split->body == input && split->sequence == sequence && split->signature == signature,
          "the split gives back body, sequence and signature");
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  tessaly::fuzz::CheckSplit(input);
  tessaly::fuzz::CheckRoundTrip(input);
  return 0;
}
