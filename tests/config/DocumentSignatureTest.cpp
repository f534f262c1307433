#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <memory>
#include <string>

#include "config/DocumentAcceptance.h"
#include "config/DocumentSignature.h"
#include "tests/fakes/TestDocumentKey.h"
#include "tools/itemcheck/DocumentSigning.h"

namespace tessaly {
namespace {

using itemcheck::DocumentKeyFromPem;
using itemcheck::SignDocument;

using TestKey = TestDocumentKey;

const std::string kDocument =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<checkitems base=\"http://download.quaymark.example/wydown/ocx/\">\n"
    "  <item name=\"签名控件\" type=\"ActiveX\"/>\n"
    "</checkitems>";

class DocumentSignatureTest : public testing::Test {
 protected:
  std::string Signed(const std::string& document, std::uint32_t sequence, const TestKey& by) const {
    return by.Sign(document, sequence);
  }
  TestKey bank{"ED25519"};
  TestKey other{"ED25519"};
  DocumentKey pinned[1] = {bank.Raw()};
};

TEST_F(DocumentSignatureTest, OpenSslItselfVerifiesWhatTheToolSigned) {
  const std::string document = Signed(kDocument, 1765342800, bank);
  ASSERT_TRUE(document.starts_with(kDocument + "\n<!-- tessaly-signature sequence=\"1765342800\" "))
      << document;
  ASSERT_TRUE(document.ends_with("\" -->\n"));
  const std::optional<SignedDocument> split = SplitSignedDocument(document);
  ASSERT_TRUE(split);
  EXPECT_EQ(split->body, kDocument + "\n");
  EXPECT_EQ(split->sequence, 1765342800u);
  // Verified without the program's own verification, by the key as OpenSSL read it.
  const std::string message = SignedDocumentMessage(split->body, split->sequence);
  const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                        &EVP_MD_CTX_free);
  ASSERT_EQ(EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, bank.key.get()), 1);
  EXPECT_EQ(EVP_DigestVerify(context.get(), split->signature.data(), split->signature.size(),
                             reinterpret_cast<const unsigned char*>(message.data()), message.size()),
            1);
  // Signing again replaces the signature rather than stacking a second one.
  const std::string again = Signed(document, 1765342801, bank);
  EXPECT_EQ(SplitSignedDocument(again)->body, kDocument + "\n");
  EXPECT_EQ(SplitSignedDocument(again)->sequence, 1765342801u);
}

TEST_F(DocumentSignatureTest, OnlyAnEd25519KeyOfTheRightFormSignsOrVerifies) {
  const TestKey rsa("RSA");
  const TestKey ec("EC", "P-256");
  const TestKey ed448("ED448");
  EXPECT_FALSE(SignDocument(kDocument, rsa.PrivatePem(), 1));
  EXPECT_FALSE(SignDocument(kDocument, ec.PrivatePem(), 1));
  EXPECT_FALSE(SignDocument(kDocument, ed448.PrivatePem(), 1));
  EXPECT_FALSE(SignDocument(kDocument, bank.PublicPem(), 1)) << "a public key cannot sign";
  EXPECT_FALSE(SignDocument(kDocument, "not a key", 1));
  EXPECT_FALSE(DocumentKeyFromPem(rsa.PublicPem()));
  EXPECT_FALSE(DocumentKeyFromPem(ed448.PublicPem()));
  std::string cut = bank.PublicPem();
  cut.erase(cut.find('\n') + 10, 8);  // a key of the wrong length
  EXPECT_FALSE(DocumentKeyFromPem(cut));
  EXPECT_EQ(DocumentKeyFromPem(bank.PrivatePem()), bank.Raw()) << "the private key names its public one";
  // A pinned key that is no point of the curve verifies nothing.
  DocumentKey zero{};
  EXPECT_FALSE(IsSignedByOneOf(*SplitSignedDocument(Signed(kDocument, 1, bank)), std::span(&zero, 1)));
}

// Each case changes a document the bank signed with sequence 100 (or builds another) and
// names what a program pinned to the bank's key, last accepting sequence 100, decides.
TEST_F(DocumentSignatureTest, TheSignatureAndSequenceRules) {
  const std::string good = Signed(kDocument, 100, bank);
  const std::size_t comment = good.find("<!-- tessaly-signature");
  const std::size_t base64 = good.find("ed25519=\"") + 9;
  const auto replaced = [&good](std::size_t at, std::size_t count, const std::string& by) {
    std::string text = good;
    return text.replace(at, count, by);
  };
  const struct {
    const char* what;
    std::string document;
    DocumentVerdict verdict;
  } cases[] = {
      {"the signed document", good, DocumentVerdict::Accepted},
      {"with a Windows line end added", good.substr(0, good.size() - 1) + "\r\n\r\n", DocumentVerdict::Accepted},
      {"a newer one", Signed(kDocument, 101, bank), DocumentVerdict::Accepted},
      {"the same document signed later", Signed(kDocument, 4294967295u, bank), DocumentVerdict::Accepted},
      {"unsigned", kDocument, DocumentVerdict::Unsigned},
      {"empty", "", DocumentVerdict::Unsigned},
      {"one byte of the body changed", replaced(good.find("ActiveX"), 1, "B"), DocumentVerdict::BadSignature},
      {"a byte added before the comment", replaced(comment, 0, " "), DocumentVerdict::BadSignature},
      {"signed by another key", Signed(kDocument, 100, other), DocumentVerdict::BadSignature},
      {"an older one, validly signed", Signed(kDocument, 99, bank), DocumentVerdict::Replayed},
      {"renumbered", replaced(good.find("\"100\""), 5, "\"101\""), DocumentVerdict::BadSignature},
      {"a signature over a prefix, the rest after it",
       Signed(kDocument.substr(0, 40), 100, bank) + kDocument.substr(40), DocumentVerdict::Unsigned},
      {"a signature over the whole, the body cut short",
       good.substr(0, 40) + good.substr(comment), DocumentVerdict::BadSignature},
      {"the signature comment twice", good + good.substr(comment), DocumentVerdict::Unsigned},
      {"the signature truncated", replaced(base64 + 80, 8, "=="), DocumentVerdict::Unsigned},
      {"the signature padded", replaced(base64, 0, "AAAA"), DocumentVerdict::Unsigned},
      {"the signature without its padding", replaced(base64 + 86, 2, ""), DocumentVerdict::Unsigned},
      // The last character before the padding carries 2 bits of the signature and 4 zero
      // bits; the next character of the alphabet sets one of the zero bits.
      {"a non-canonical last character",
       replaced(base64 + 85, 1, std::string(1, static_cast<char>(good[base64 + 85] + 1))),
       DocumentVerdict::Unsigned},
      {"a character outside base64", replaced(base64 + 3, 1, "*"), DocumentVerdict::Unsigned},
      {"text after the comment", good + "<!-- -->", DocumentVerdict::Unsigned},
      {"spaces after the comment", good + "  ", DocumentVerdict::Unsigned},
      {"a sequence of 2^32", replaced(good.find("\"100\""), 5, "\"4294967296\""), DocumentVerdict::Unsigned},
      {"a signed sequence", replaced(good.find("\"100\""), 5, "\"+100\""), DocumentVerdict::Unsigned},
      {"a sequence with a leading zero", replaced(good.find("\"100\""), 5, "\"0100\""), DocumentVerdict::Unsigned},
      {"an empty sequence", replaced(good.find("\"100\""), 5, "\"\""), DocumentVerdict::Unsigned},
      {"an unclosed comment", good.substr(0, good.size() - 5), DocumentVerdict::Unsigned},
  };
  // A program may pin a second key (the next one of a rollover): the bank's still counts.
  const TestKey next;
  const DocumentKey both[2] = {next.Raw(), bank.Raw()};
  for (const auto& [what, document, verdict] : cases) {
    const DocumentCheck check = CheckDownloadedDocument(document, pinned, 100);
    EXPECT_EQ(check.verdict, verdict) << what;
    EXPECT_EQ(CheckDownloadedDocument(document, both, 100).verdict, verdict) << what << ", two keys";
    if (verdict == DocumentVerdict::Accepted) {
      EXPECT_EQ(check.text, kDocument + "\n") << what << ": only the signed body is parsed";
    } else {
      EXPECT_TRUE(check.text.empty()) << what;
    }
    // Without a pinned key every document is taken whole, as before signatures.
    const DocumentCheck unpinned = CheckDownloadedDocument(document, {}, 100);
    EXPECT_EQ(unpinned.verdict, DocumentVerdict::Unpinned) << what;
    EXPECT_EQ(unpinned.text, document) << what;
  }
}

}  // namespace
}  // namespace tessaly
