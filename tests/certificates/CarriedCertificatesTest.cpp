// The five certificates the program carries, read back from its resources (the native
// embedded table, or the real resource section on Windows) and parsed with libcrypto.
#include <gtest/gtest.h>
#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

#include "certificates/RootChainTable.h"
#ifdef _WIN32
#include "platform/win32/Win32ModuleResources.h"
#else
#include "platform/native/EmbeddedResources.h"
#endif

namespace tessaly {
namespace {

#ifdef _WIN32
using ProgramResources = win32::Win32ModuleResources;
#else
using ProgramResources = EmbeddedResources;
#endif

struct X509Free {
  void operator()(X509* certificate) const { X509_free(certificate); }
};
struct BioFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct BnFree {
  void operator()(BIGNUM* number) const { BN_free(number); }
};
struct OpenSslFree {
  void operator()(char* text) const { OPENSSL_free(text); }
};

struct Expected {
  std::string_view resource;
  std::string_view subject;
  std::string_view issuer;
  std::string_view serial;
  std::string_view notAfter;
};

constexpr Expected kExpected[] = {
    {"Root_CA", "CN=CFCA ACS CA,O=China Financial Certification Authority,C=CN",
     "CN=CFCA ACS CA,O=China Financial Certification Authority,C=CN", "41AEF3CFBE4464544F64F89A97F23917", "2035-09-28"},
    {"Policy_CA", "CN=CFCA ACS OCA31,O=China Financial Certification Authority,C=CN",
     "CN=CFCA ACS CA,O=China Financial Certification Authority,C=CN", "34AC474CF8F215698F66F4A0F7B986BC", "2035-09-22"},
    {"Operation_CA", "O=CFCA Operation CA,C=CN", "O=CFCA Policy CA,C=CN", "39448BB9", "2020-06-12"},
    {"Operation_CA1", "O=CFCA Operation CA1,C=CN", "O=CFCA Root CA,C=CN", "39448A6D", "2020-06-12"},
    {"Operation_CA2", "O=CFCA Operation CA2,C=CN", "O=CFCA Root CA,C=CN", "39449877", "2019-11-20"},
};

std::string NameText(const X509_NAME* name) {
  const std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
  X509_NAME_print_ex(bio.get(), name, 0, XN_FLAG_RFC2253);
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<std::size_t>(length));
}

std::string SerialText(const X509* certificate) {
  const std::unique_ptr<BIGNUM, BnFree> number(ASN1_INTEGER_to_BN(X509_get0_serialNumber(certificate), nullptr));
  const std::unique_ptr<char, OpenSslFree> hex(BN_bn2hex(number.get()));
  return hex.get();
}

std::string DateText(const ASN1_TIME* time) {
  std::tm parts{};
  if (ASN1_TIME_to_tm(time, &parts) != 1) {
    return "unreadable";
  }
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday);
  return text;
}

TEST(CarriedCertificatesTest, CarryTheSubjectsIssuersSerialsAndEndDatesOfTheChain) {
  const ProgramResources resources;
  ASSERT_EQ(std::size(kExpected), RootChainTable.size());
  for (std::size_t row = 0; row < RootChainTable.size(); ++row) {
    const Expected& expected = kExpected[row];
    SCOPED_TRACE(expected.resource);
    EXPECT_EQ(RootChainTable[row].resourceName, expected.resource);
    const std::string der = resources.LoadResourceBytes(expected.resource, kResourceTypeCertificate);
    ASSERT_FALSE(der.empty());
    const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
    const std::unique_ptr<X509, X509Free> certificate(d2i_X509(nullptr, &bytes, static_cast<long>(der.size())));
    ASSERT_NE(certificate, nullptr);
    // DER, one certificate and nothing after it.
    EXPECT_EQ(bytes, reinterpret_cast<const unsigned char*>(der.data()) + der.size());
    EXPECT_EQ(NameText(X509_get_subject_name(certificate.get())), expected.subject);
    EXPECT_EQ(NameText(X509_get_issuer_name(certificate.get())), expected.issuer);
    EXPECT_EQ(SerialText(certificate.get()), expected.serial);
    EXPECT_EQ(DateText(X509_get0_notAfter(certificate.get())), expected.notAfter);
    EXPECT_LT(ASN1_TIME_compare(X509_get0_notBefore(certificate.get()), X509_get0_notAfter(certificate.get())), 0);
    EXPECT_EQ(X509_check_ca(certificate.get()), 1);
  }
  // The type is part of the name: the certificates are no HTML resources.
  EXPECT_TRUE(resources.LoadResourceBytes("Root_CA", kResourceTypeHtml).empty());
  EXPECT_TRUE(resources.LoadResourceBytes("Root_CA", ResourceType(std::string_view("CERT"))).empty());
}

}  // namespace
}  // namespace tessaly
