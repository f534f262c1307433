#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "diagnosis/DnsCheck.h"
#include "diagnosis/ExpectedAddresses.h"
#include "diagnosis/HostResolution.h"
#include "tests/fakes/FakeResolver.h"

namespace tessaly {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

ConfigGroup DnsGroup(std::vector<ConfigEntry> entries) {
  return ConfigGroup{.type = "dns", .entries = std::move(entries)};
}

ConfigEntry Dns(std::string host, std::string addresses) {
  return ConfigEntry{.text = std::move(host), .value = std::move(addresses)};
}

TEST(ExpectedAddressesTest, SplitsAtEveryBarKeepingTheRemainderEvenWhenEmpty) {
  const ExpectedAddresses expected = FoldExpectedAddresses(DnsGroup({
      Dns("a.test", "1.1.1.1|2.2.2.2"),
      Dns("b.test", "1.1.1.1||2.2.2.2|"),
      Dns("c.test", ""),
      Dns("d.test", "|3.3.3.3"),
      Dns("e.test", "4.4.4.4"),
  }));
  EXPECT_THAT(expected.at("a.test"), ElementsAre("1.1.1.1", "2.2.2.2"));
  EXPECT_THAT(expected.at("b.test"), ElementsAre("1.1.1.1", "2.2.2.2", ""));
  EXPECT_THAT(expected.at("c.test"), ElementsAre(""));
  EXPECT_THAT(expected.at("d.test"), ElementsAre("3.3.3.3"));
  EXPECT_THAT(expected.at("e.test"), ElementsAre("4.4.4.4"));
}

TEST(ExpectedAddressesTest, EntriesOfOneHostAddUpAndNamesAreComparedByteForByte) {
  const ExpectedAddresses expected = FoldExpectedAddresses(DnsGroup({
      Dns("bank.test", "1.1.1.1|"),
      Dns("BANK.test", "9.9.9.9"),
      Dns("bank.test", "2.2.2.2"),
  }));
  EXPECT_THAT(expected.at("bank.test"), ElementsAre("1.1.1.1", "", "2.2.2.2"));
  EXPECT_THAT(expected.at("BANK.test"), ElementsAre("9.9.9.9"));
}

TEST(DottedIpv4Test, AcceptsOnlyFourDecimalPartsUpTo255WithoutLeadingZeros) {
  EXPECT_EQ(ParseDottedIpv4("192.168.1.10"), (Ipv4Address{192, 168, 1, 10}));
  EXPECT_EQ(ParseDottedIpv4("0.0.0.0"), (Ipv4Address{0, 0, 0, 0}));
  EXPECT_EQ(ParseDottedIpv4("255.255.255.255"), (Ipv4Address{255, 255, 255, 255}));
  const std::vector<std::string_view> invalidTexts = {
      "",         "1.2.3",      "1.2.3.4.5", "256.1.1.1", "1.2.3.256", "1..2.3",   ".1.2.3",
      "1.2.3.",   "1.2.3.4.",   "01.2.3.4",  "1.2.3.00",  "1000.1.1.1", " 1.2.3.4", "1.2.3.4 ",
      "1.2.3.+4", "1.2.-3.4",   "16909060",  "1,2,3,4",   std::string_view("1.2.3.4\0", 8)};
  for (const std::string_view invalid : invalidTexts) {
    EXPECT_FALSE(ParseDottedIpv4(invalid).has_value()) << invalid;
  }
}

TEST(DottedIpv4Test, WritesDecimalPartsWithoutPadding) {
  EXPECT_EQ(DottedText({10, 0, 200, 7}), "10.0.200.7");
  EXPECT_EQ(DottedText({255, 255, 255, 255}), "255.255.255.255");
}

TEST(ResolveHostTest, ATextWithALetterIsANameAndKeepsTheResolversOrder) {
  FakeResolver resolver;
  resolver.names["ebank.test"] = {{2, 2, 2, 2}, {1, 1, 1, 1}};
  resolver.names["10.0.0.1a"] = {{3, 3, 3, 3}};
  EXPECT_THAT(ResolveHost(resolver, "ebank.test"), ElementsAre("2.2.2.2", "1.1.1.1"));
  EXPECT_THAT(ResolveHost(resolver, "10.0.0.1a"), ElementsAre("3.3.3.3"));
  EXPECT_THAT(ResolveHost(resolver, "unknown.test"), IsEmpty());
  EXPECT_THAT(resolver.lookups(),
              ElementsAre("name ebank.test", "name 10.0.0.1a", "name unknown.test"));
}

TEST(ResolveHostTest, ANumericTextIsLookedUpByAddressAndNeedsAReverseEntry) {
  FakeResolver resolver;
  resolver.reverseEntries[{10, 0, 0, 1}] = {{10, 0, 0, 1}};
  EXPECT_THAT(ResolveHost(resolver, "10.0.0.1"), ElementsAre("10.0.0.1"));
  EXPECT_THAT(ResolveHost(resolver, "10.0.0.2"), IsEmpty());
  // Invalid addresses never reach the resolver.
  EXPECT_THAT(ResolveHost(resolver, "10.0.1"), IsEmpty());
  EXPECT_THAT(ResolveHost(resolver, "10.0.0.256"), IsEmpty());
  EXPECT_THAT(ResolveHost(resolver, ""), IsEmpty());
  EXPECT_THAT(resolver.lookups(), ElementsAre("address 10.0.0.1", "address 10.0.0.2"));
}

class DnsCheckTest : public testing::Test {
 protected:
  bool Check(std::vector<ConfigEntry> entries) {
    config.groups = {ConfigGroup{.type = "host"}, DnsGroup(std::move(entries))};
    const bool ok = CheckDns(config, resolver);
    EXPECT_EQ(config.dnsOk, ok) << "the check writes its flag";
    return ok;
  }

  CheckConfig config;
  FakeResolver resolver;
};

TEST_F(DnsCheckTest, PassesWithoutTheGroupAndWithAnEmptyOne) {
  config.dnsOk = false;
  EXPECT_TRUE(CheckDns(config, resolver));
  EXPECT_TRUE(config.dnsOk);
  EXPECT_TRUE(Check({}));
  EXPECT_THAT(resolver.lookups(), IsEmpty());
}

TEST_F(DnsCheckTest, EveryResolvedAddressMustBeExpected) {
  resolver.names["ebank.test"] = {{1, 1, 1, 1}, {2, 2, 2, 2}};
  EXPECT_TRUE(Check({Dns("ebank.test", "2.2.2.2|1.1.1.1|3.3.3.3")}));
  EXPECT_TRUE(Check({Dns("ebank.test", "1.1.1.1|"), Dns("ebank.test", "2.2.2.2")}))
      << "several entries add to one list";
  EXPECT_TRUE(Check({Dns("ebank.test", "1.1.1.1|2.2.2.2")})) << "the remainder counts";
  config.dnsOk = true;
  EXPECT_FALSE(Check({Dns("ebank.test", "1.1.1.1")}));
  EXPECT_FALSE(Check({Dns("ebank.test", "1.1.1.1|2.2.2.")})) << "exact text comparison";
}

TEST_F(DnsCheckTest, AHostWithoutAddressOrResolutionNeverPasses) {
  resolver.names["ebank.test"] = {{1, 1, 1, 1}};
  EXPECT_FALSE(Check({Dns("ebank.test", "")}));
  EXPECT_FALSE(Check({Dns("ebank.test", "|")}));
  EXPECT_FALSE(Check({Dns("gone.test", "1.1.1.1|")})) << "nothing resolved";
}

TEST_F(DnsCheckTest, HostsGoInAscendingByteOrderAndTheFirstFailureEndsTheCheck) {
  resolver.names["Alpha.test"] = {{1, 1, 1, 1}};
  resolver.names["alpha.test"] = {{1, 1, 1, 1}};
  resolver.names["beta.test"] = {{6, 6, 6, 6}};
  resolver.names["zeta.test"] = {{1, 1, 1, 1}};
  EXPECT_FALSE(Check({Dns("zeta.test", "1.1.1.1"), Dns("\xE4\xB8\xAD.test", "1.1.1.1"),
                      Dns("beta.test", "1.1.1.1"), Dns("alpha.test", "1.1.1.1"),
                      Dns("Alpha.test", "1.1.1.1")}));
  EXPECT_THAT(resolver.lookups(),
              ElementsAre("name Alpha.test", "name alpha.test", "name beta.test"));

  // Bytes above 0x7F sort after ASCII, as unsigned values.
  resolver.names["beta.test"] = {{1, 1, 1, 1}};
  EXPECT_FALSE(Check({Dns("\xE4\xB8\xAD.test", "1.1.1.1"), Dns("zeta.test", "1.1.1.1")}));
  EXPECT_EQ(resolver.lookups().back(), "name \xE4\xB8\xAD.test");
  EXPECT_EQ(resolver.lookups()[resolver.lookups().size() - 2], "name zeta.test");
}

TEST_F(DnsCheckTest, ANumericHostPassesOnlyThroughItsReverseEntry) {
  EXPECT_FALSE(Check({Dns("10.0.0.1", "10.0.0.1")}));
  resolver.reverseEntries[{10, 0, 0, 1}] = {{10, 0, 0, 1}};
  EXPECT_TRUE(Check({Dns("10.0.0.1", "10.0.0.1")}));
  EXPECT_FALSE(Check({Dns("10.0.1", "10.0.0.1")}));
  EXPECT_THAT(resolver.lookups(), ElementsAre("address 10.0.0.1", "address 10.0.0.1"));
}

}  // namespace
}  // namespace tessaly
