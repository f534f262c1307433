#include <gtest/gtest.h>

#include <string>

#include "platform/WindowsFacts.h"
#include "platform/portable/WindowsVersionCodes.h"

namespace tessaly {
namespace {

using namespace version_codes;

constexpr std::uint8_t kServer = 3;  // VER_NT_SERVER
constexpr std::uint8_t kClient = kProductTypeWorkstation;

struct Described {
  const char* label;
  WindowsVersionFacts facts;
  std::u16string text;
};

WindowsVersionFacts Nt(std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                       std::uint8_t productType, std::uint16_t architecture,
                       std::u16string servicePack = {}, std::uint16_t suite = 0) {
  return {.versionQueryOk = true, .major = major, .minor = minor, .build = build,
          .platformId = kPlatformWin32Nt, .servicePack = std::move(servicePack),
          .suiteMask = suite, .productType = productType,
          .processorArchitecture = architecture};
}

WindowsVersionFacts WithProduct(WindowsVersionFacts facts, std::uint32_t productInfo) {
  facts.productInfo = productInfo;
  return facts;
}

WindowsVersionFacts WithR2(WindowsVersionFacts facts) {
  facts.serverR2 = true;
  return facts;
}

class DescribeWindowsTest : public testing::TestWithParam<Described> {};

TEST_P(DescribeWindowsTest, ComposesNameEditionServicePackBuildAndBitness) {
  EXPECT_EQ(DescribeWindows(GetParam().facts), GetParam().text);
}

const Described kWindows5[] = {
    {"XpProfessionalSp3", Nt(5, 1, 2600, kClient, kArchitectureIntel, u"Service Pack 3", 0x100),
     u"Microsoft Windows XP 专业版 SP3 (build 2600)"},
    {"XpHomeSp2", Nt(5, 1, 2600, kClient, kArchitectureIntel, u"Service Pack 2", kSuitePersonal),
     u"Microsoft Windows XP 家庭版 SP2 (build 2600)"},
    {"Windows2000ProfessionalIgnoresServerSuites",
     Nt(5, 0, 2195, kClient, kArchitectureIntel, u"Service Pack 4", kSuiteEnterprise),
     u"Microsoft Windows 2000 专业版 SP4 (build 2195)"},
    {"Windows2000Datacenter",
     Nt(5, 0, 2195, kServer, kArchitectureIntel, {}, kSuiteDatacenter | kSuiteEnterprise),
     u"Microsoft Windows 2000 数据中心版 (build 2195)"},
    {"Windows2000AdvancedServer", Nt(5, 0, 2195, kServer, kArchitectureIntel, {}, kSuiteEnterprise),
     u"Microsoft Windows 2000 高级服务器版 (build 2195)"},
    {"Windows2000Server", Nt(5, 0, 2195, 2, kArchitectureIntel), u"Microsoft Windows 2000 服务器版 (build 2195)"},
    {"Server2003EnterpriseSp2X86",
     Nt(5, 2, 3790, kServer, kArchitectureIntel, u"Service Pack 2", kSuiteEnterprise),
     u"Microsoft Windows Server 2003, Enterprise Edition SP2 (build 3790)"},
    {"Server2003ComputeClusterComesFirst",
     Nt(5, 2, 3790, kServer, kArchitectureIntel, {}, kSuiteComputeServer | kSuiteDatacenter),
     u"Microsoft Windows Server 2003, Compute Cluster Edition (build 3790)"},
    {"Server2003Web", Nt(5, 2, 3790, kServer, kArchitectureIntel, {}, kSuiteBlade),
     u"Microsoft Windows Server 2003, Web Edition (build 3790)"},
    {"Server2003Standard", Nt(5, 2, 3790, kServer, kArchitectureIntel),
     u"Microsoft Windows Server 2003, Standard Edition (build 3790)"},
    {"Server2003R2DatacenterX64HasNoBitnessWord",
     WithR2(Nt(5, 2, 3790, kServer, kArchitectureAmd64, u"Service Pack 2",
               kSuiteDatacenter | kSuiteStorageServer)),
     u"Microsoft Windows Server 2003 R2, Datacenter x64 Edition SP2 (build 3790)"},
    {"Server2003X64Enterprise",
     Nt(5, 2, 3790, kServer, kArchitectureAmd64, {}, kSuiteEnterprise),
     u"Microsoft Windows Server 2003, Enterprise x64 Edition (build 3790)"},
    {"Server2003X64Standard", Nt(5, 2, 3790, kServer, kArchitectureAmd64),
     u"Microsoft Windows Server 2003, Standard x64 Edition (build 3790)"},
    {"Server2003ItaniumDatacenter",
     Nt(5, 2, 3790, kServer, kArchitectureIa64, {}, kSuiteDatacenter | kSuiteEnterprise),
     u"Microsoft Windows Server 2003, Datacenter Edition for Itanium-based Systems (build 3790)"},
    {"Server2003ItaniumEnterprise", Nt(5, 2, 3790, kServer, kArchitectureIa64, {}, kSuiteEnterprise),
     u"Microsoft Windows Server 2003, Enterprise Edition for Itanium-based Systems (build 3790)"},
    {"Server2003ItaniumWithoutSuiteHasNoEdition", Nt(5, 2, 3790, kServer, kArchitectureIa64),
     u"Microsoft Windows Server 2003,  (build 3790)"},
    {"StorageServerGetsASeparatorBeforeItsEdition",
     Nt(5, 2, 3790, kServer, kArchitectureIntel, u"Service Pack 1", kSuiteStorageServer),
     u"Microsoft Windows Storage Server 2003, Standard Edition SP1 (build 3790)"},
    {"HomeServer",
     Nt(5, 2, 3790, kServer, kArchitectureIntel, {}, kSuiteHomeServer | kSuiteEnterprise),
     u"Microsoft Windows Home Server, Enterprise Edition (build 3790)"},
    {"HomeServerOnItaniumWithoutEdition", Nt(5, 2, 3790, kServer, kArchitectureIa64, {}, kSuiteHomeServer),
     u"Microsoft Windows Home Server (build 3790)"},
    {"XpProfessionalX64IsAClientWithoutEdition",
     Nt(5, 2, 3790, kClient, kArchitectureAmd64, u"Service Pack 2", kSuiteEnterprise),
     u"Microsoft Windows XP Professional x64 Edition SP2 (build 3790)"},
    {"UnknownMinorOfVersion5", Nt(5, 3, 4000, kClient, kArchitectureIntel),
     u"Microsoft  (build 4000)"},
};

const Described kWindows6AndLater[] = {
    {"Windows7UltimateSp1X64",
     WithProduct(Nt(6, 1, 7601, kClient, kArchitectureAmd64, u"Service Pack 1"), 1),
     u"Microsoft Windows 7 旗舰版 SP1 (build 7601) 64位"},
    {"VistaHomePremiumX86", WithProduct(Nt(6, 0, 6002, kClient, kArchitectureIntel, u"Service Pack 2"), 3),
     u"Microsoft Windows Vista 家庭高级版 SP2 (build 6002) 32位"},
    {"Windows8ProAlsoWhatWindows10Reports", WithProduct(Nt(6, 2, 9200, kClient, kArchitectureAmd64), 48),
     u"Microsoft Windows 8 专业版 (build 9200) 64位"},
    {"Windows81Starter", WithProduct(Nt(6, 3, 9600, kClient, kArchitectureIntel), 11),
     u"Microsoft Windows 8.1 初级版 (build 9600) 32位"},
    {"Server2008Enterprise", WithProduct(Nt(6, 0, 6001, kServer, kArchitectureAmd64, u"Service Pack 1"), 10),
     u"Microsoft Windows Server 2008 Enterprise Edition SP1 (build 6001) 64位"},
    {"Server2008R2DatacenterCore", WithProduct(Nt(6, 1, 7600, kServer, kArchitectureAmd64), 12),
     u"Microsoft Windows Server 2008 R2 Datacenter Edition (core installation) (build 7600) 64位"},
    {"Server2012SmallBusinessPremium", WithProduct(Nt(6, 2, 9200, 2, kArchitectureAmd64), 25),
     u"Microsoft Windows Server 2012 Small Business Server Premium Edition (build 9200) 64位"},
    {"Server2012R2Web", WithProduct(Nt(6, 3, 9600, kServer, kArchitectureAmd64), 17),
     u"Microsoft Windows Server 2012 R2 Web Server Edition (build 9600) 64位"},
    {"ItaniumServer2008R2HasNoBitnessWord",
     WithProduct(Nt(6, 1, 7601, kServer, kArchitectureIa64, u"Service Pack 1"), 15),
     u"Microsoft Windows Server 2008 R2 Enterprise Edition for Itanium-based Systems SP1 (build 7601)"},
    {"ProductTypeWithoutName", WithProduct(Nt(6, 1, 7601, kClient, kArchitectureAmd64), 5),
     u"Microsoft Windows 7  (build 7601) 64位"},
    {"WithoutGetProductInfo", Nt(6, 0, 6000, kClient, kArchitectureIntel),
     u"Microsoft Windows Vista  (build 6000) 32位"},
    {"UnknownMinorKeepsTheEdition", WithProduct(Nt(6, 4, 9841, kClient, kArchitectureAmd64), 48),
     u"Microsoft 专业版 (build 9841) 64位"},
    {"MajorAboveSixHasNoNameNorEdition", WithProduct(Nt(10, 0, 19045, kClient, kArchitectureAmd64), 48),
     u"Microsoft  (build 19045) 64位"},
    {"EveryServicePackPhraseIsShortened",
     Nt(5, 1, 2600, kClient, kArchitectureIntel, u"Service Pack 3, Service Pack 4 beta"),
     u"Microsoft Windows XP 专业版 SP3, SP4 beta (build 2600)"},
    {"OtherServicePackTextsStayAndArmHasNoBitnessWord", Nt(6, 0, 6000, kClient, 5, u"Beta 2"),
     u"Microsoft Windows Vista  Beta 2 (build 6000)"},
};

const Described kUndescribable[] = {
    {"VersionQueryFailed", WindowsVersionFacts{}, u"Error"},
    {"Windows98", {.versionQueryOk = true, .major = 4, .minor = 10, .platformId = 1},
     u"Unknown version of Windows"},
    {"NonNtPlatformWithMajor5", {.versionQueryOk = true, .major = 5, .platformId = 1},
     u"Unknown version of Windows"},
    {"WindowsNt4", Nt(4, 0, 1381, kClient, kArchitectureIntel, u"Service Pack 6"),
     u"Unknown version of Windows"},
};

std::string LabelOf(const testing::TestParamInfo<Described>& info) { return info.param.label; }

INSTANTIATE_TEST_SUITE_P(Windows5, DescribeWindowsTest, testing::ValuesIn(kWindows5), LabelOf);
INSTANTIATE_TEST_SUITE_P(Windows6AndLater, DescribeWindowsTest,
                         testing::ValuesIn(kWindows6AndLater), LabelOf);
INSTANTIATE_TEST_SUITE_P(Undescribable, DescribeWindowsTest, testing::ValuesIn(kUndescribable),
                         LabelOf);

TEST(WindowsVersionChecksTest, Native64BitMeansVersion6OrLaterOnAmd64) {
  EXPECT_TRUE(IsNative64BitWindows(WindowsVersionFacts{})) << "the version query failed";
  EXPECT_FALSE(IsNative64BitWindows(Nt(5, 2, 3790, kClient, kArchitectureAmd64))) << "XP x64";
  EXPECT_FALSE(IsNative64BitWindows(Nt(5, 2, 3790, kServer, kArchitectureAmd64))) << "2003 x64";
  EXPECT_FALSE(IsNative64BitWindows(Nt(6, 1, 7601, kClient, kArchitectureIntel)));
  EXPECT_FALSE(IsNative64BitWindows(Nt(6, 1, 7601, kServer, kArchitectureIa64)));
  EXPECT_TRUE(IsNative64BitWindows(Nt(6, 0, 6000, kClient, kArchitectureAmd64)));
  EXPECT_TRUE(IsNative64BitWindows(Nt(10, 0, 19045, kClient, kArchitectureAmd64)));
}

TEST(WindowsVersionChecksTest, VistaOrLaterNeedsASuccessfulQueryAboveVersion5) {
  EXPECT_FALSE(IsVistaOrLater(WindowsVersionFacts{}));
  WindowsVersionFacts failedButFilled = Nt(6, 1, 7601, kClient, kArchitectureAmd64);
  failedButFilled.versionQueryOk = false;
  EXPECT_FALSE(IsVistaOrLater(failedButFilled));
  EXPECT_FALSE(IsVistaOrLater(Nt(5, 2, 3790, kServer, kArchitectureAmd64)));
  EXPECT_TRUE(IsVistaOrLater(Nt(6, 0, 6000, kClient, kArchitectureIntel)));
  EXPECT_TRUE(IsVistaOrLater(Nt(10, 0, 19045, kClient, kArchitectureAmd64)));
}

}  // namespace
}  // namespace tessaly
