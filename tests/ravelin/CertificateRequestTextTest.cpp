// The texts of the certificate request and import: the subject, Base64 both ways, the
// certificate text a certification authority hands out.
#include "adapters/ravelin/CertificateRequestText.h"

#include <gtest/gtest.h>

namespace tessaly::ravelin {
namespace {

using Components = std::vector<SubjectComponent>;

TEST(ParseSubjectTest, NamesLoseTheirSpacesAndCaseValuesOnlyTheirLeadingSpaces) {
  EXPECT_EQ(ParseSubject("CN=Zhang San,O=Brimvane , ou = Online Banking"),
            (Components{{"2.5.4.3", "Zhang San"}, {"2.5.4.10", "Brimvane "}, {"2.5.4.11", "Online Banking"}}));
  EXPECT_EQ(ParseSubject("email=a@b.c,GivenName=San,st=Beijing,i=ZS,T=x,title=y,SN=Zhang,C=CN"),
            (Components{{"1.2.840.113549.1.9.1", "a@b.c"},
                        {"2.5.4.42", "San"},
                        {"2.5.4.8", "Beijing"},
                        {"2.5.4.43", "ZS"},
                        {"2.5.4.12", "x"},
                        {"2.5.4.12", "y"},
                        {"2.5.4.4", "Zhang"},
                        {"2.5.4.6", "CN"}}));
  // Only the first "=" separates.
  EXPECT_EQ(ParseSubject("CN=a=b"), (Components{{"2.5.4.3", "a=b"}}));
}

TEST(ParseSubjectTest, RefusesWhatMakesNoSubjectName) {
  std::string seventeen = "CN=a";
  for (int i = 1; i < 17; ++i) {
    seventeen += ",O=b";
  }
  EXPECT_EQ(ParseSubject(seventeen)->size(), 17u);
  for (const std::string& subject :
       {seventeen + ",O=c", std::string("CN=a,XX=b"), std::string("CN=a,O"), std::string("CN=a,,O=b"),
        std::string(",CN=a"), std::string("CN=a,"), std::string(""), std::string("CN=") + std::string(256, 'v')}) {
    EXPECT_FALSE(ParseSubject(subject).has_value()) << subject;
  }
  EXPECT_TRUE(ParseSubject("CN=" + std::string(255, 'v')).has_value());
}

TEST(PrintableStringTest, TakesLettersDigitsSpaceAndElevenPunctuationMarksOnly) {
  EXPECT_TRUE(IsPrintableString(""));
  EXPECT_TRUE(IsPrintableString("AZaz09 '()+,-./:=?"));
  for (const char* text : {"a@b.c", "x*", "x&y", "x;y", "x\"y", "_", "!", "#", "\t", "\xe5\xbc\xa0"}) {
    EXPECT_FALSE(IsPrintableString(text)) << text;
  }
}

TEST(Base64Test, EncodesWithPaddingAndDecodesBack) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
      {std::string("\xff\xfe\x00", 3), "//4A"}};
  for (const auto& [plain, encoded] : cases) {
    const std::vector<std::uint8_t> bytes(plain.begin(), plain.end());
    EXPECT_EQ(EncodeBase64(bytes), encoded);
    EXPECT_EQ(DecodeBase64(encoded), bytes) << encoded;
  }
}

TEST(Base64Test, DecodingRefusesBadLengthsAndMisplacedPadding) {
  for (const char* text : {"Zg=", "Zm9vY", "Z===", "Zg=a", "=m9v", "Zg==Zm9v"}) {
    EXPECT_FALSE(DecodeBase64(text).has_value()) << text;
  }
  // Outside the alphabet: taken as zero bits, not refused.
  EXPECT_EQ(DecodeBase64("Zm9*"), (std::vector<std::uint8_t>{'f', 'o', 0x40}));
}

TEST(CleanCertificateTextTest, DropsTheFrameAndLineBreaks) {
  EXPECT_EQ(CleanCertificateText("-----BEGIN CERTIFICATE-----\r\nMIIB\r\nAAAA\r\n-----END CERTIFICATE-----\r\n"),
            "MIIBAAAA");
  EXPECT_EQ(CleanCertificateText("MIIB\nAAAA"), "MIIBAAAA");
  EXPECT_EQ(CleanCertificateText("MIIB-----END CERTIFICATE-----trailing"), "MIIB");
  EXPECT_EQ(CleanCertificateText(std::string(9000, 'A')).size(), 8191u);
}

}  // namespace
}  // namespace tessaly::ravelin
