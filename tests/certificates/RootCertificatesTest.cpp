#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "certificates/CertificateAdding.h"
#include "certificates/CertificateInStore.h"
#include "certificates/CertificateResults.h"
#include "certificates/RootCertificates.h"
#include "tests/fakes/FakeCertificateStores.h"
#include "tests/fakes/FakeModuleResources.h"

namespace tessaly {
namespace {

using Search = std::pair<std::string, std::string>;

constexpr std::string_view kCountry = "2.5.4.6";

FakeCertificateData Authority(std::string der, std::string commonName, std::string organization,
                              std::string issuer, std::string serial) {
  FakeCertificateData data{std::move(der), {{std::string(kCountry), "CN"}}, std::move(issuer), std::move(serial), 1};
  data.subject.emplace_back(kOidOrganization, std::move(organization));
  if (!commonName.empty()) {
    data.subject.emplace_back(kOidCommonName, std::move(commonName));
  }
  return data;
}

const FakeCertificateData kRoot = Authority("der:ROOT_CA", "CFCA ACS CA", "China Financial Certification Authority",
                                            "CFCA ACS CA", "41AEF3CFBE4464544F64F89A97F23917");
const FakeCertificateData kPolicy = Authority("der:POLICY_CA", "CFCA ACS OCA31",
                                              "China Financial Certification Authority", "CFCA ACS CA",
                                              "34AC474CF8F215698F66F4A0F7B986BC");
const FakeCertificateData kOperation = Authority("der:OPERATION_CA", "", "CFCA Operation CA", "CFCA Policy CA", "39448BB9");
const FakeCertificateData kOperation1 = Authority("der:OPERATION_CA1", "", "CFCA Operation CA1", "CFCA Root CA", "39448A6D");
const FakeCertificateData kOperation2 = Authority("der:OPERATION_CA2", "", "CFCA Operation CA2", "CFCA Root CA", "39449877");

FakeAddAttempt Replaced(std::string store, std::string der) {
  return {std::move(store), std::move(der), FakeAddKind::EncodedReplacingExisting, true};
}

class RootCertificatesTest : public testing::Test {
 protected:
  RootCertificatesTest() {
    for (const FakeCertificateData* data : {&kRoot, &kPolicy, &kOperation, &kOperation1, &kOperation2}) {
      stores.Know(*data);
      resources.Put(data->der.substr(4), kResourceTypeCertificate, data->der);
    }
  }

  // Every operation closes the stores it opened, whatever it answers.
  ~RootCertificatesTest() override { EXPECT_EQ(stores.openStores, 0); }

  void PlaceAllExcept(const std::string& missing = "") {
    if (missing != kRoot.der) {
      stores.Place("ROOT", kRoot.der);
    }
    for (const FakeCertificateData* data : {&kPolicy, &kOperation, &kOperation1, &kOperation2}) {
      if (missing != data->der) {
        stores.Place("CA", data->der);
      }
    }
  }

  std::int32_t Check() { return CheckRootCertificates(services); }
  std::int32_t Install() { return InstallRootCertificates(services); }

  FakeCertificateStores stores;
  FakeModuleResources resources;
  CertificateServices services{stores, resources};
};

TEST_F(RootCertificatesTest, AllFivePresentIsSuccessAndTheInstallAddsNothing) {
  PlaceAllExcept();
  EXPECT_EQ(Check(), kCertificateOk);
  EXPECT_EQ(Install(), kCertificateOk);
  EXPECT_TRUE(stores.adds.empty());
  EXPECT_EQ(stores.searches.size(), 10u);
}

TEST_F(RootCertificatesTest, OnlyTheOperationCaMissingFailsAtItsRowAndTheInstallAddsOnlyIt) {
  PlaceAllExcept(kOperation.der);
  EXPECT_EQ(Check(), kCertificateFail);
  EXPECT_EQ(stores.searches, (std::vector<Search>{{"ROOT", "CFCA ACS CA"}, {"CA", "CFCA ACS OCA31"},
                                                  {"CA", "CFCA Operation CA"}}));

  EXPECT_EQ(Install(), kCertificateOk);
  EXPECT_EQ(stores.adds, std::vector<FakeAddAttempt>{Replaced("CA", kOperation.der)});
  EXPECT_EQ(Check(), kCertificateOk);
}

TEST_F(RootCertificatesTest, ALongerNameFoundByTheSearchDoesNotCountAndTheSearchGoesOn) {
  stores.Place("ROOT", kRoot.der);
  stores.Place("CA", kPolicy.der);
  stores.Place("CA", kOperation1.der);
  stores.Place("CA", kOperation2.der);
  // Only "CFCA Operation CA1" and "...CA2" carry the name: row 3 is missing.
  EXPECT_EQ(IsCertificateInStore(services, stores.OpenCurrentUserSystemStore("CA"), "CFCA Operation CA",
                                 "Operation_CA"),
            kCertificateFail);
  stores.Place("CA", kOperation.der);
  EXPECT_EQ(IsCertificateInStore(services, stores.OpenCurrentUserSystemStore("CA"), "CFCA Operation CA",
                                 "Operation_CA"),
            kCertificateOk);
  EXPECT_EQ(Check(), kCertificateOk);
}

TEST_F(RootCertificatesTest, NamesCompareExactlyIncludingCase) {
  FakeCertificateData lowerCase = kRoot;
  lowerCase.der = "der:lower";
  lowerCase.subject.back().second = "cfca acs ca";
  stores.Know(lowerCase);
  stores.Place("ROOT", lowerCase.der);
  // Found by the case-blind search, but not the certificate sought: the search goes on.
  EXPECT_EQ(IsCertificateInStore(services, stores.OpenCurrentUserSystemStore("ROOT"), "CFCA ACS CA", "Root_CA"),
            kCertificateFail);

  const auto certificate = stores.MakeCertificate(kOperation.der);
  ASSERT_NE(certificate, nullptr);
  EXPECT_TRUE(NameAttributeEquals(*certificate, kOidOrganization, "CFCA Operation CA"));
  EXPECT_FALSE(NameAttributeEquals(*certificate, kOidOrganization, "CFCA OPERATION CA"));
  EXPECT_FALSE(NameAttributeEquals(*certificate, kOidOrganization, "CFCA Operation"));
  // No common name reads as the empty text.
  EXPECT_TRUE(NameAttributeEquals(*certificate, kOidCommonName, ""));
  EXPECT_FALSE(NameAttributeEquals(*certificate, kOidCommonName, "CFCA Operation CA"));
}

TEST_F(RootCertificatesTest, AnEarlierCertificateWithTheSameNameShadowsTheRightOne) {
  FakeCertificateData older = kRoot;
  older.der = "der:older root";
  older.serial = "0102";
  stores.Know(older);
  stores.Place("ROOT", older.der);
  PlaceAllExcept();
  EXPECT_EQ(Check(), kCertificateFail);

  // The install adds the right certificate again, but the older one still comes first.
  EXPECT_EQ(Install(), kCertificateOk);
  EXPECT_EQ(stores.adds, std::vector<FakeAddAttempt>{Replaced("ROOT", kRoot.der)});
  EXPECT_EQ(Check(), kCertificateFail);

  // Behind the right one it does no harm.
  stores.stores["ROOT"] = {kRoot, older};
  EXPECT_EQ(Check(), kCertificateOk);
}

TEST_F(RootCertificatesTest, AStoreThatCannotBeOpenedFailsItsRows) {
  PlaceAllExcept();
  stores.unopenable.insert("CA");
  EXPECT_EQ(Check(), kCertificateFail);
  EXPECT_EQ(stores.searches, (std::vector<Search>{{"ROOT", "CFCA ACS CA"}}));
  EXPECT_EQ(Install(), kCertificateFail);
  EXPECT_TRUE(stores.adds.empty());

  stores.unopenable = {"ROOT"};
  stores.searches.clear();
  EXPECT_EQ(Check(), kCertificateFail);
  EXPECT_EQ(Install(), kCertificateFail);
  // Without the root nothing else is looked at.
  EXPECT_TRUE(stores.searches.empty());
  EXPECT_TRUE(stores.adds.empty());
}

TEST_F(RootCertificatesTest, AMissingResourceCountsAsNotPresentAndCannotBeAdded) {
  FakeModuleResources withoutPolicy;
  for (const FakeCertificateData* data : {&kRoot, &kOperation, &kOperation1, &kOperation2}) {
    withoutPolicy.Put(data->der.substr(4), kResourceTypeCertificate, data->der);
  }
  const CertificateServices lacking{stores, withoutPolicy};
  PlaceAllExcept();
  EXPECT_EQ(CheckRootCertificates(lacking), kCertificateFail);
  EXPECT_EQ(IsCertificateInStore(lacking, stores.OpenCurrentUserSystemStore("CA"), "CFCA ACS OCA31", "Policy_CA"),
            kCertificateFail);
  EXPECT_EQ(AddResourceCertificate(lacking, "Policy_CA", "CA"), kCertificateFail);
  EXPECT_EQ(InstallRootCertificates(lacking), kCertificateFail);
  EXPECT_TRUE(stores.adds.empty());
}

TEST_F(RootCertificatesTest, AnIntermediateThatCannotBeAddedIsNotHiddenByLaterOnes) {
  FakeModuleResources withoutPolicy;
  for (const FakeCertificateData* data : {&kRoot, &kOperation, &kOperation1, &kOperation2}) {
    withoutPolicy.Put(data->der.substr(4), kResourceTypeCertificate, data->der);
  }
  stores.Place("ROOT", kRoot.der);
  EXPECT_EQ(InstallRootCertificates({stores, withoutPolicy}), kCertificateFail);
  // The rows after the failing one are still added.
  EXPECT_EQ(stores.adds, (std::vector<FakeAddAttempt>{Replaced("CA", kOperation.der), Replaced("CA", kOperation1.der),
                                                      Replaced("CA", kOperation2.der)}));
}

TEST_F(RootCertificatesTest, ARootThatCannotBeAddedStopsTheInstall) {
  stores.refusingAdds.insert("ROOT");
  EXPECT_EQ(Install(), kCertificateFail);
  // The encoded add and the text fallback were tried in "ROOT" only.
  EXPECT_EQ(stores.adds, (std::vector<FakeAddAttempt>{
                             {"ROOT", kRoot.der, FakeAddKind::EncodedReplacingExisting, false},
                             {"ROOT", kRoot.der, FakeAddKind::UnlessNewerPresent, false}}));
  EXPECT_EQ(stores.searches, (std::vector<Search>{{"ROOT", "CFCA ACS CA"}}));
  EXPECT_TRUE(stores.EncodingsIn("CA").empty());
}

TEST_F(RootCertificatesTest, ADeclinedConfirmationIsNotAskedAgainAndStopsTheInstall) {
  stores.decliningAdds.insert("ROOT");
  EXPECT_EQ(Install(), kCertificateDeclined);
  // One question only: no second attempt through the text path, nothing added after it.
  EXPECT_EQ(stores.adds, (std::vector<FakeAddAttempt>{
                             {"ROOT", kRoot.der, FakeAddKind::EncodedReplacingExisting, false}}));
  EXPECT_TRUE(stores.EncodingsIn("CA").empty());
  EXPECT_LT(Check(), 0);

  // Declined at an intermediate authority: the rows after it are not tried either.
  stores.adds.clear();
  stores.decliningAdds = {"CA"};
  stores.Place("ROOT", kRoot.der);
  EXPECT_EQ(Install(), kCertificateDeclined);
  EXPECT_EQ(stores.adds, (std::vector<FakeAddAttempt>{
                             {"CA", kPolicy.der, FakeAddKind::EncodedReplacingExisting, false}}));
}

TEST_F(RootCertificatesTest, AnEmptyPlaceIsFilledCompletely) {
  EXPECT_EQ(Check(), kCertificateFail);
  EXPECT_EQ(Install(), kCertificateOk);
  EXPECT_EQ(stores.EncodingsIn("ROOT"), std::vector<std::string>{kRoot.der});
  EXPECT_EQ(stores.EncodingsIn("CA"),
            (std::vector<std::string>{kPolicy.der, kOperation.der, kOperation1.der, kOperation2.der}));
  EXPECT_EQ(Check(), kCertificateOk);
}

TEST_F(RootCertificatesTest, AResourceStoredAsTextIsAddedThroughTheTextPath) {
  resources.Put("OPERATION_CA", kResourceTypeCertificate, PemText(kOperation.der));
  EXPECT_EQ(AddResourceCertificate(services, "Operation_CA", "CA"), kCertificateOk);
  ASSERT_EQ(stores.adds.size(), 2u);
  EXPECT_FALSE(stores.adds[0].added);
  EXPECT_EQ(stores.adds[1], (FakeAddAttempt{"CA", kOperation.der, FakeAddKind::UnlessNewerPresent, true}));
  EXPECT_EQ(stores.EncodingsIn("CA"), std::vector<std::string>{kOperation.der});
}

class CertificateTextTest : public RootCertificatesTest {};

TEST_F(CertificateTextTest, AcceptsBase64WithOrWithoutHeaderLinesAndRawBytes) {
  const std::string pem = PemText(kOperation.der);
  const std::string bare = pem.substr(pem.find('\n') + 1, pem.find("-----END") - pem.find('\n') - 1);
  EXPECT_EQ(AddCertificateText(stores, pem, "CA"), kCertificateOk);
  EXPECT_EQ(AddCertificateText(stores, bare, "ROOT"), kCertificateOk);
  EXPECT_EQ(AddCertificateText(stores, kPolicy.der, "CA"), kCertificateOk);
  EXPECT_EQ(stores.EncodingsIn("CA"), (std::vector<std::string>{kOperation.der, kPolicy.der}));
  EXPECT_EQ(stores.EncodingsIn("ROOT"), std::vector<std::string>{kOperation.der});
}

TEST_F(CertificateTextTest, AddsOnlyWhenTheStoreHasNoNewerCopy) {
  EXPECT_EQ(AddCertificateText(stores, kOperation.der, "CA"), kCertificateOk);
  EXPECT_EQ(AddCertificateText(stores, kOperation.der, "CA"), kCertificateFail);

  FakeCertificateData reissued = kOperation;
  reissued.der = "der:reissued";
  reissued.issued = 2;
  stores.Know(reissued);
  EXPECT_EQ(AddCertificateText(stores, reissued.der, "CA"), kCertificateOk);
  EXPECT_EQ(stores.EncodingsIn("CA"), std::vector<std::string>{reissued.der});
  EXPECT_EQ(AddCertificateText(stores, kOperation.der, "CA"), kCertificateFail);
}

TEST_F(CertificateTextTest, DecodesToAtMost4096Bytes) {
  FakeCertificateData largest = kOperation;
  largest.der = std::string(kMaxCertificateTextBytes, 'x');
  FakeCertificateData tooLarge = kPolicy;
  tooLarge.der = std::string(kMaxCertificateTextBytes + 1, 'y');
  stores.Know(largest);
  stores.Know(tooLarge);
  EXPECT_EQ(AddCertificateText(stores, PemText(largest.der), "CA"), kCertificateOk);
  EXPECT_EQ(AddCertificateText(stores, PemText(tooLarge.der), "CA"), kCertificateFail);
  EXPECT_EQ(AddCertificateText(stores, tooLarge.der, "CA"), kCertificateFail);
  EXPECT_EQ(stores.adds.size(), 1u);
}

TEST_F(CertificateTextTest, FailsOnNoCertificateAndOnAStoreThatCannotBeOpened) {
  EXPECT_EQ(AddCertificateText(stores, "", "CA"), kCertificateFail);
  EXPECT_EQ(AddCertificateText(stores, "not a certificate", "CA"), kCertificateFail);
  EXPECT_EQ(AddCertificateText(stores, PemText("der:unknown"), "CA"), kCertificateFail);
  stores.unopenable.insert("CA");
  EXPECT_EQ(AddCertificateText(stores, kOperation.der, "CA"), kCertificateFail);
  EXPECT_TRUE(stores.adds.empty());
}

}  // namespace
}  // namespace tessaly
