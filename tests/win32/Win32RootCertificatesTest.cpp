// The root chain against the real (Wine) certificate stores of the current user, with the
// certificates the test program carries as resources. Every certificate of the chain is
// removed again before and after each test.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <string>

#include "certificates/CertificateAdding.h"
#include "certificates/CertificateInStore.h"
#include "certificates/CertificateResults.h"
#include "certificates/RootCertificates.h"
#include "certificates/RootChainTable.h"
#include "platform/win32/CertificateHandles.h"
#include "platform/win32/Win32CertificateStores.h"
#include "platform/win32/Win32ModuleResources.h"
#include "tests/fakes/FakeCertificateStores.h"

namespace tessaly::win32 {
namespace {

const RootChainRow& Row(std::size_t number) { return RootChainTable.at(number - 1); }

class Win32RootCertificatesTest : public testing::Test {
 protected:
  Win32RootCertificatesTest() { RemoveChain(); }
  ~Win32RootCertificatesTest() override { RemoveChain(); }

  std::string Carried(const RootChainRow& row) const {
    return resources.LoadResourceBytes(row.resourceName, kResourceTypeCertificate);
  }

  // How many copies of the row's certificate its store holds, found by the store itself.
  int CopiesInStore(const RootChainRow& row) const { return Visit(row, false); }
  void Remove(const RootChainRow& row) const { Visit(row, true); }

  void RemoveChain() const {
    for (const RootChainRow& row : RootChainTable) {
      Remove(row);
    }
  }

  std::int32_t RowInStore(const RootChainRow& row) {
    return IsCertificateInStore(services, stores.OpenCurrentUserSystemStore(row.storeName), row.searchName,
                                row.resourceName);
  }

  Win32CertificateStores stores;
  Win32ModuleResources resources;
  CertificateServices services{stores, resources};

 private:
  int Visit(const RootChainRow& row, bool remove) const {
    const std::string der = Carried(row);
    const std::u16string storeName(row.storeName.begin(), row.storeName.end());
    const unique_hcertstore store(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER,
                                                reinterpret_cast<const wchar_t*>(storeName.c_str())));
    const unique_cert_context wanted(CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size())));
    if (store == nullptr || wanted == nullptr) {
      ADD_FAILURE() << "cannot look for " << row.resourceName;
      return 0;
    }
    int copies = 0;
    PCCERT_CONTEXT found = nullptr;
    while ((found = CertFindCertificateInStore(store.get(), X509_ASN_ENCODING, 0, CERT_FIND_EXISTING,
                                               wanted.get(), found)) != nullptr) {
      ++copies;
      if (remove) {
        // Deleting frees the context, so the search starts over.
        CertDeleteCertificateFromStore(found);
        found = nullptr;
      }
    }
    // Wine keeps a deletion from a system store only once the store is committed.
    if (remove && copies > 0) {
      CertControlStore(store.get(), 0, CERT_STORE_CTRL_COMMIT, nullptr);
    }
    return copies;
  }
};

TEST_F(Win32RootCertificatesTest, InstallsFindsLosesAndReinstallsTheChain) {
  EXPECT_EQ(CheckRootCertificates(services), kCertificateFail);
  EXPECT_EQ(RowInStore(Row(1)), kCertificateFail);

  EXPECT_EQ(InstallRootCertificates(services), kCertificateOk);
  for (const RootChainRow& row : RootChainTable) {
    SCOPED_TRACE(row.resourceName);
    EXPECT_EQ(CopiesInStore(row), 1);
    EXPECT_EQ(RowInStore(row), kCertificateOk);
  }
  // Dates are not looked at: OPERATION_CA2 expired in 2019 and still counts.
  EXPECT_EQ(CheckRootCertificates(services), kCertificateOk);
  // Nothing to do a second time.
  EXPECT_EQ(InstallRootCertificates(services), kCertificateOk);
  EXPECT_EQ(CopiesInStore(Row(1)), 1);

  Remove(Row(3));
  EXPECT_EQ(CheckRootCertificates(services), kCertificateFail);
  EXPECT_EQ(RowInStore(Row(3)), kCertificateFail);
  // "CFCA Operation CA1" contains the name searched for row 3, but is its own row.
  EXPECT_EQ(RowInStore(Row(4)), kCertificateOk);

  EXPECT_EQ(InstallRootCertificates(services), kCertificateOk);
  EXPECT_EQ(CopiesInStore(Row(3)), 1);
  EXPECT_EQ(CheckRootCertificates(services), kCertificateOk);
}

TEST_F(Win32RootCertificatesTest, AddsResourceCertificatesReplacingAnExistingCopy) {
  EXPECT_EQ(AddResourceCertificate(services, "Policy_CA", "CA"), kCertificateOk);
  EXPECT_EQ(AddResourceCertificate(services, "Policy_CA", "CA"), kCertificateOk);
  EXPECT_EQ(CopiesInStore(Row(2)), 1);
  EXPECT_EQ(AddResourceCertificate(services, "No_Such_CA", "CA"), kCertificateFail);
}

TEST_F(Win32RootCertificatesTest, AddsCertificateTextOnlyWithoutANewerCopy) {
  const std::string der = Carried(Row(3));
  EXPECT_EQ(AddCertificateText(stores, PemText(der), "CA"), kCertificateOk);
  EXPECT_EQ(CopiesInStore(Row(3)), 1);
  // The same certificate again is not newer than the copy in the store.
  EXPECT_EQ(AddCertificateText(stores, der, "CA"), kCertificateFail);
  Remove(Row(3));
  EXPECT_EQ(AddCertificateText(stores, der, "CA"), kCertificateOk);
  EXPECT_EQ(AddCertificateText(stores, "not a certificate", "CA"), kCertificateFail);
}

TEST_F(Win32RootCertificatesTest, DecodesCertificateTextWithinTheLimit) {
  const std::string der = Carried(Row(1));
  const std::string pem = PemText(der);
  const std::string bare = pem.substr(pem.find('\n') + 1, pem.find("-----END") - pem.find('\n') - 1);
  EXPECT_EQ(stores.DecodeCertificateText(pem, kMaxCertificateTextBytes), der);
  EXPECT_EQ(stores.DecodeCertificateText(bare, kMaxCertificateTextBytes), der);
  EXPECT_EQ(stores.DecodeCertificateText(der, kMaxCertificateTextBytes), der);
  EXPECT_EQ(stores.DecodeCertificateText(pem, der.size()), der);
  EXPECT_FALSE(stores.DecodeCertificateText(pem, der.size() - 1).has_value());
  const std::string rawTooLong(kMaxCertificateTextBytes + 1, '\x01');
  EXPECT_FALSE(stores.DecodeCertificateText(rawTooLong, kMaxCertificateTextBytes).has_value());
  EXPECT_EQ(stores.DecodeCertificateText(rawTooLong.substr(1), kMaxCertificateTextBytes), rawTooLong.substr(1));
  EXPECT_FALSE(stores.DecodeCertificateText("", kMaxCertificateTextBytes).has_value());
}

TEST_F(Win32RootCertificatesTest, ReadsNamesAndComparesIssuerAndSerial) {
  const auto root = stores.MakeCertificate(Carried(Row(1)));
  const auto policy = stores.MakeCertificate(Carried(Row(2)));
  const auto operation = stores.MakeCertificate(Carried(Row(3)));
  ASSERT_NE(root, nullptr);
  ASSERT_NE(policy, nullptr);
  ASSERT_NE(operation, nullptr);
  EXPECT_EQ(root->SubjectAttribute(kOidCommonName), "CFCA ACS CA");
  EXPECT_EQ(root->SubjectAttribute(kOidOrganization), "China Financial Certification Authority");
  EXPECT_EQ(operation->SubjectAttribute(kOidCommonName), "");
  EXPECT_TRUE(NameAttributeEquals(*operation, kOidOrganization, "CFCA Operation CA"));
  EXPECT_FALSE(NameAttributeEquals(*operation, kOidOrganization, "cfca operation ca"));

  EXPECT_TRUE(root->HasSameIssuerAndSerial(*stores.MakeCertificate(Carried(Row(1)))));
  EXPECT_FALSE(root->HasSameIssuerAndSerial(*policy));
  EXPECT_EQ(stores.MakeCertificate("not a certificate"), nullptr);
  EXPECT_EQ(stores.MakeCertificate(""), nullptr);
}

}  // namespace
}  // namespace tessaly::win32
