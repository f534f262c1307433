#include "config/DocumentSignature.h"

#include <openssl/evp.h>

#include <algorithm>
#include <charconv>
#include <memory>

namespace tessaly {
namespace {

constexpr std::string_view kMessageLabel = "tessaly-signed-document\n";
constexpr std::string_view kSequenceOpening = "sequence=\"";
constexpr std::string_view kSignatureOpening = "\" ed25519=\"";
constexpr std::string_view kCommentClosing = "\" -->";
// Base64 of 64 bytes: 86 characters and two padding characters.
constexpr std::size_t kSignatureBase64Chars = 88;
constexpr std::size_t kMaxSequenceDigits = 10;

std::string Base64(const DocumentSignatureBytes& bytes) {
  std::string text(kSignatureBase64Chars + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(),
                                      static_cast<int>(bytes.size()));
  text.resize(static_cast<std::size_t>(written));
  return text;
}

// Only the one canonical spelling is taken: the bytes must encode back to the same text.
std::optional<DocumentSignatureBytes> SignatureFromBase64(std::string_view text) {
  if (text.size() != kSignatureBase64Chars) {
    return std::nullopt;
  }
  std::array<unsigned char, kSignatureBase64Chars> decoded{};
  if (EVP_DecodeBlock(decoded.data(), reinterpret_cast<const unsigned char*>(text.data()),
                      static_cast<int>(text.size())) < 0) {
    return std::nullopt;
  }
  DocumentSignatureBytes signature{};
  std::copy_n(decoded.begin(), signature.size(), signature.begin());
  if (Base64(signature) != text) {
    return std::nullopt;
  }
  return signature;
}

std::optional<std::uint32_t> SequenceFrom(std::string_view digits) {
  // One spelling per number: no sign, no leading zero.
  if (digits.empty() || digits.size() > kMaxSequenceDigits ||
      digits.find_first_not_of("0123456789") != std::string_view::npos ||
      (digits.size() > 1 && digits[0] == '0')) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc{} || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return value;
}

bool ConsumePrefix(std::string_view& text, std::string_view prefix) {
  if (!text.starts_with(prefix)) {
    return false;
  }
  text.remove_prefix(prefix.size());
  return true;
}

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

bool Verifies(const DocumentKey& key, const std::string& message,
              const DocumentSignatureBytes& signature) {
  const std::unique_ptr<EVP_PKEY, KeyFree> publicKey(
      EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size()));
  const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
  if (!publicKey || !context ||
      EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, publicKey.get()) != 1) {
    return false;
  }
  return EVP_DigestVerify(context.get(), signature.data(), signature.size(),
                          reinterpret_cast<const unsigned char*>(message.data()),
                          message.size()) == 1;
}

}  // namespace

std::optional<SignedDocument> SplitSignedDocument(std::string_view document) {
  const std::size_t contentEnd = document.find_last_not_of("\r\n");
  if (contentEnd == std::string_view::npos) {
    return std::nullopt;
  }
  document.remove_suffix(document.size() - contentEnd - 1);
  const std::size_t opening = document.rfind(kSignatureCommentOpening);
  if (opening == std::string_view::npos ||
      document.substr(0, opening).find(kSignatureCommentOpening) != std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view comment = document.substr(opening + kSignatureCommentOpening.size());
  if (!ConsumePrefix(comment, kSequenceOpening)) {
    return std::nullopt;
  }
  const std::size_t sequenceEnd = comment.find('"');
  if (sequenceEnd == std::string_view::npos) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> sequence = SequenceFrom(comment.substr(0, sequenceEnd));
  comment.remove_prefix(sequenceEnd);
  if (!sequence || !ConsumePrefix(comment, kSignatureOpening) ||
      !comment.ends_with(kCommentClosing)) {
    return std::nullopt;
  }
  comment.remove_suffix(kCommentClosing.size());
  const std::optional<DocumentSignatureBytes> signature = SignatureFromBase64(comment);
  if (!signature) {
    return std::nullopt;
  }
  return SignedDocument{document.substr(0, opening), *sequence, *signature};
}

std::string SignedDocumentMessage(std::string_view body, std::uint32_t sequence) {
  std::string message(kMessageLabel);
  message.append(kSequenceOpening).append(std::to_string(sequence)).append("\"\n");
  message.append(body);
  return message;
}

std::string SignatureComment(std::uint32_t sequence, const DocumentSignatureBytes& signature) {
  std::string comment(kSignatureCommentOpening);
  comment.append(kSequenceOpening).append(std::to_string(sequence));
  comment.append(kSignatureOpening).append(Base64(signature)).append(kCommentClosing);
  comment.append("\n");
  return comment;
}

bool IsSignedByOneOf(const SignedDocument& document, std::span<const DocumentKey> keys) {
  const std::string message = SignedDocumentMessage(document.body, document.sequence);
  for (const DocumentKey& key : keys) {
    if (Verifies(key, message, document.signature)) {
      return true;
    }
  }
  return false;
}

}  // namespace tessaly
