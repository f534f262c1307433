#include "platform/portable/WindowsEditions.h"

#include <array>

#include "platform/portable/WindowsVersionCodes.h"

namespace tessaly {
namespace {

using namespace version_codes;

struct MinorVersionName {
  std::uint32_t minor = 0;
  std::u16string_view client{};
  std::u16string_view server{};
};

constexpr std::array kWindows6Names{
    MinorVersionName{0, u"Windows Vista ", u"Windows Server 2008 "},
    MinorVersionName{1, u"Windows 7 ", u"Windows Server 2008 R2 "},
    MinorVersionName{2, u"Windows 8 ", u"Windows Server 2012 "},
    MinorVersionName{3, u"Windows 8.1 ", u"Windows Server 2012 R2 "},
};

struct ProductEdition {
  std::uint32_t productType = 0;
  std::u16string_view text{};
};

constexpr std::array kProductEditions{
    ProductEdition{1, u"旗舰版"},                    // PRODUCT_ULTIMATE
    ProductEdition{2, u"家庭普通版"},                // PRODUCT_HOME_BASIC
    ProductEdition{3, u"家庭高级版"},                // PRODUCT_HOME_PREMIUM
    ProductEdition{4, u"企业版"},                    // PRODUCT_ENTERPRISE
    ProductEdition{6, u"商用版"},                    // PRODUCT_BUSINESS
    ProductEdition{7, u"Standard Edition"},          // PRODUCT_STANDARD_SERVER
    ProductEdition{8, u"Datacenter Edition"},        // PRODUCT_DATACENTER_SERVER
    ProductEdition{9, u"Small Business Server"},     // PRODUCT_SMALLBUSINESS_SERVER
    ProductEdition{10, u"Enterprise Edition"},       // PRODUCT_ENTERPRISE_SERVER
    ProductEdition{11, u"初级版"},                   // PRODUCT_STARTER
    ProductEdition{12, u"Datacenter Edition (core installation)"},  // ..._SERVER_CORE
    ProductEdition{13, u"Standard Edition (core installation)"},
    ProductEdition{14, u"Enterprise Edition (core installation)"},
    ProductEdition{15, u"Enterprise Edition for Itanium-based Systems"},
    ProductEdition{17, u"Web Server Edition"},                     // PRODUCT_WEB_SERVER
    ProductEdition{18, u"Cluster Server Edition"},                 // PRODUCT_CLUSTER_SERVER
    ProductEdition{25, u"Small Business Server Premium Edition"},
    ProductEdition{48, u"专业版"},                   // PRODUCT_PROFESSIONAL
};

constexpr std::array kServer2003ItaniumRules{
    SuiteRule{kSuiteDatacenter, u"Datacenter Edition for Itanium-based Systems"},
    SuiteRule{kSuiteEnterprise, u"Enterprise Edition for Itanium-based Systems"},
};

constexpr std::array kServer2003X64Rules{
    SuiteRule{kSuiteDatacenter, u"Datacenter x64 Edition"},
    SuiteRule{kSuiteEnterprise, u"Enterprise x64 Edition"},
};

constexpr std::array kServer2003Rules{
    SuiteRule{kSuiteComputeServer, u"Compute Cluster Edition"},
    SuiteRule{kSuiteDatacenter, u"Datacenter Edition"},
    SuiteRule{kSuiteEnterprise, u"Enterprise Edition"},
    SuiteRule{kSuiteBlade, u"Web Edition"},
};

constexpr std::array kWindowsXpRules{
    SuiteRule{kSuitePersonal, u"家庭版"},
};

constexpr std::array kWindows2000ServerRules{
    SuiteRule{kSuiteDatacenter, u"数据中心版"},
    SuiteRule{kSuiteEnterprise, u"高级服务器版"},
};

}  // namespace

const SuiteChoice kServer2003ItaniumEditions{kServer2003ItaniumRules, u""};
const SuiteChoice kServer2003X64Editions{kServer2003X64Rules, u"Standard x64 Edition"};
const SuiteChoice kServer2003Editions{kServer2003Rules, u"Standard Edition"};
const SuiteChoice kWindowsXpEditions{kWindowsXpRules, u"专业版"};
const SuiteChoice kWindows2000ServerEditions{kWindows2000ServerRules, u"服务器版"};

std::u16string_view FirstMatchingSuite(const SuiteChoice& choice, std::uint16_t suiteMask) {
  for (const SuiteRule& rule : choice.rules) {
    if ((suiteMask & rule.suite) != 0) {
      return rule.text;
    }
  }
  return choice.otherwise;
}

std::u16string_view Windows6Name(std::uint32_t minor, bool client) {
  for (const MinorVersionName& name : kWindows6Names) {
    if (name.minor == minor) {
      return client ? name.client : name.server;
    }
  }
  return {};
}

std::u16string_view Windows6Edition(std::uint32_t productType) {
  for (const ProductEdition& edition : kProductEditions) {
    if (edition.productType == productType) {
      return edition.text;
    }
  }
  return {};
}

}  // namespace tessaly
