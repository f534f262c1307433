#include <string>
#include <string_view>

#include "platform/WindowsFacts.h"
#include "platform/portable/WindowsEditions.h"
#include "platform/portable/WindowsVersionCodes.h"

namespace tessaly {
namespace {

using namespace version_codes;

bool IsClient(const WindowsVersionFacts& facts) {
  return facts.productType == kProductTypeWorkstation;
}

void AppendWindows6(const WindowsVersionFacts& facts, std::u16string& text) {
  text += Windows6Name(facts.minor, IsClient(facts));
  if (facts.productInfo) {
    text += Windows6Edition(*facts.productInfo);
  }
}

// The 5.2 family shares one version number across Server 2003 (and R2), the storage and
// home servers and XP x64.
void AppendWindows52(const WindowsVersionFacts& facts, std::u16string& text) {
  const bool client = IsClient(facts);
  std::u16string_view name = u"Windows Server 2003, ";
  if (facts.serverR2) {
    name = u"Windows Server 2003 R2, ";
  } else if ((facts.suiteMask & kSuiteStorageServer) != 0) {
    name = u"Windows Storage Server 2003";
  } else if ((facts.suiteMask & kSuiteHomeServer) != 0) {
    name = u"Windows Home Server";
  } else if (client && facts.processorArchitecture == kArchitectureAmd64) {
    name = u"Windows XP Professional x64 Edition";
  }
  text += name;
  if (client) {
    return;
  }
  const SuiteChoice& editions =
      facts.processorArchitecture == kArchitectureIa64    ? kServer2003ItaniumEditions
      : facts.processorArchitecture == kArchitectureAmd64 ? kServer2003X64Editions
                                                          : kServer2003Editions;
  const std::u16string_view edition = FirstMatchingSuite(editions, facts.suiteMask);
  // The storage and home server names carry no separator of their own; without one the
  // edition would run into the name ("...2003Standard Edition").
  if (!edition.empty() && !name.ends_with(u", ")) {
    text += u", ";
  }
  text += edition;
}

void AppendWindows5(const WindowsVersionFacts& facts, std::u16string& text) {
  switch (facts.minor) {
    case 2:
      AppendWindows52(facts, text);
      break;
    case 1:
      text += u"Windows XP ";
      text += FirstMatchingSuite(kWindowsXpEditions, facts.suiteMask);
      break;
    case 0:
      text += u"Windows 2000 ";
      text += IsClient(facts) ? std::u16string_view(u"专业版")
                              : FirstMatchingSuite(kWindows2000ServerEditions, facts.suiteMask);
      break;
    default:
      break;
  }
}

void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  for (std::size_t at = text.find(from); at != std::u16string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

std::u16string DecimalText(std::uint32_t number) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + number % 10));
    number /= 10;
  } while (number != 0);
  return digits;
}

std::u16string_view BitnessWord(std::uint16_t processorArchitecture) {
  switch (processorArchitecture) {
    case kArchitectureAmd64: return u" 64位";
    case kArchitectureIntel: return u" 32位";
    default: return {};
  }
}

}  // namespace

std::u16string DescribeWindows(const WindowsVersionFacts& facts) {
  if (!facts.versionQueryOk) {
    return u"Error";
  }
  if (facts.platformId != kPlatformWin32Nt || facts.major < 5) {
    return u"Unknown version of Windows";
  }
  std::u16string text = u"Microsoft ";
  if (facts.major == 6) {
    AppendWindows6(facts, text);
  } else if (facts.major == 5) {
    AppendWindows5(facts, text);
  }
  if (!facts.servicePack.empty()) {
    text += u' ';
    text += facts.servicePack;
    ReplaceAll(text, u"Service Pack ", u"SP");
  }
  text += u" (build ";
  text += DecimalText(facts.build);
  text += u')';
  if (facts.major > 5) {
    text += BitnessWord(facts.processorArchitecture);
  }
  return text;
}

}  // namespace tessaly
