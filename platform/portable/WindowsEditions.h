#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The names Windows editions are shown with: client editions in Chinese, server editions
// in English. The tables live in WindowsEditions.cpp; DescribeWindows only composes.
namespace tessaly {

// "The first suite bit that is set names the edition; none set gives `otherwise`."
struct SuiteRule {
  std::uint16_t suite = 0;
  std::u16string_view text{};
};
struct SuiteChoice {
  std::span<const SuiteRule> rules{};
  std::u16string_view otherwise{};
};

std::u16string_view FirstMatchingSuite(const SuiteChoice& choice, std::uint16_t suiteMask);

// Windows 6.x by minor version ("Windows 7 ", "Windows Server 2008 R2 "...); empty for a
// minor version that has no name.
std::u16string_view Windows6Name(std::uint32_t minor, bool client);
// The edition of a GetProductInfo product type; empty for types without a name.
std::u16string_view Windows6Edition(std::uint32_t productType);

extern const SuiteChoice kServer2003ItaniumEditions;
extern const SuiteChoice kServer2003X64Editions;
extern const SuiteChoice kServer2003Editions;  // any other processor
extern const SuiteChoice kWindowsXpEditions;
extern const SuiteChoice kWindows2000ServerEditions;

}  // namespace tessaly
