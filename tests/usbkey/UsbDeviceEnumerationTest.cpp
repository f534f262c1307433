#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/fakes/FakeUsbDriver.h"
#include "usbkey/UsbDeviceEnumeration.h"
#include "usbkey/UsbDriverRequests.h"

namespace tessaly {
namespace {

constexpr std::uint32_t kWatchdataKey = 0x163C0A3B;
constexpr std::uint32_t kFeitianKey = 0x096E0702;
constexpr std::uint32_t kMouse = 0x046DC077;
const std::u16string kHcd0 = u"\\\\.\\HCD0";
const std::u16string kHcd3 = u"\\\\.\\HCD3";
const std::u16string kInterface = u"\\\\?\\pci#ven_8086&dev_1e31#3&11583659&0&a0#{3abf6f2d-71c4-462a-8a92-1e6861e6af27}";

using Ids = std::vector<std::uint32_t>;

// A driver key name request answered with `length` in the length field and `count` as the
// byte count, whatever the buffer: the hostile forms of the handshake.
FakeUsbDriver::Hostile LyingNameLength(std::uint32_t length, std::size_t count) {
  return [length, count](std::uint32_t, std::span<const std::uint8_t>,
                         std::span<std::uint8_t> output) -> std::optional<std::size_t> {
    std::fill(output.begin(), output.end(), std::uint8_t{'A'});
    if (output.size() >= 4) {
      std::memcpy(output.data(), &length, 4);
    }
    return count;
  };
}

struct WalkCase {
  const char* name;
  std::function<void(FakeUsbDriver&)> arrange;
  Ids expected;
};

FakeUsbDriver::Port HubPort(std::u16string name) { return {.isHub = true, .hubName = std::move(name)}; }

const std::vector<WalkCase>& WalkCases() {
  static const std::vector<WalkCase> cases = {
      {"TwoIdenticalKeysCountTwice",
       [](FakeUsbDriver& d) { d = FakeUsbDriver::WithDevices({kWatchdataKey, kMouse, kWatchdataKey}); },
       {kWatchdataKey, kMouse, kWatchdataKey}},
      {"KeyBehindAnExternalHub",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({kMouse});
         d.hubs[u"ROOT_HUB#0"].ports.insert(d.hubs[u"ROOT_HUB#0"].ports.begin(), HubPort(u"HUB#ext"));
         d.hubs[u"HUB#ext"].ports = {{.connectionStatus = 0}, {.deviceId = kFeitianKey}};
       },
       {kFeitianKey, kMouse}},
      {"FailedPortStillGivesItsId",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({});
         d.hubs[u"ROOT_HUB#0"].ports = {{.deviceId = 0, .connectionStatus = 2},
                                        {.deviceId = kMouse, .connectionStatus = 0},
                                        {.deviceId = kFeitianKey, .connectionStatus = 3}};
       },
       {0, kFeitianKey}},
      {"ControllerReachedTwiceIsWalkedOnce",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({kWatchdataKey});
         d.controllers[kInterface] = d.controllers[kHcd0];
         d.interfacePaths = {kInterface};
       },
       {kWatchdataKey}},
      {"DriverKeysCompareCaseSensitively",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({kWatchdataKey});
         d.controllers[kHcd3] = {u"{CONTROLLER}\\0000", u"ROOT_HUB#3"};
         d.hubs[u"ROOT_HUB#3"].ports = {{.deviceId = kMouse}};
       },
       {kWatchdataKey, kMouse}},
      {"OlderRequestWhenTheExOneFails",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({});
         d.hubs[u"ROOT_HUB#0"].ports = {{.deviceId = kWatchdataKey, .exFails = true},
                                        {.deviceId = kMouse, .bothFail = true},
                                        {.deviceId = kFeitianKey}};
       },
       {kWatchdataKey, kFeitianKey}},
      {"ControllerWithoutDriverKeyOrRootHub",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({kWatchdataKey});
         d.controllers[kHcd0].driverKey.clear();
         d.controllers[kHcd3] = {u"{c}\\3", u""};
       },
       {}},
      {"PortCount255OnAHubWithOnePort",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({kMouse});
         d.hubs[u"ROOT_HUB#0"].portCountClaim = 255;
       },
       {kMouse}},
      {"HubThatNamesItself",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({});
         d.hubs[u"ROOT_HUB#0"].ports = {HubPort(u"ROOT_HUB#0"), {.deviceId = kMouse}};
       },
       {kMouse}},
      {"HubChainDeeperThanUsbAllows",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({});
         d.hubs[u"ROOT_HUB#0"].ports = {HubPort(u"T2"), {.deviceId = kMouse}};
         for (int tier = 2; tier <= 9; ++tier) {
           const std::u16string name = u"T" + std::u16string(1, static_cast<char16_t>(u'0' + tier));
           const std::u16string next = u"T" + std::u16string(1, static_cast<char16_t>(u'1' + tier));
           d.hubs[name].ports = {HubPort(next), {.deviceId = static_cast<std::uint32_t>(tier)}};
         }
       },
       {7, 6, 5, 4, 3, 2, kMouse}},
      {"NameLengthBeyondAnyRealName",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({kMouse});
         d.hostile[kHcd0] = LyingNameLength(0xFFFFFFF0u, 6);
       },
       {}},
      {"NameLengthNotLargerThanTheHeader",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({kMouse});
         d.hostile[kHcd0] = LyingNameLength(6, 6);
       },
       {}},
      {"ByteCountLargerThanTheBuffer",
       [](FakeUsbDriver& d) {
         // The controller names a root hub "AAAA..." read only as far as its buffer goes;
         // no such hub opens, and nothing is read past the reply.
         d = FakeUsbDriver::WithDevices({kMouse});
         d.hostile[kHcd0] = LyingNameLength(40, 1u << 30);
       },
       {}},
      {"ConnectionReplyCutShort",
       [](FakeUsbDriver& d) {
         d = FakeUsbDriver::WithDevices({});
         d.hubs[u"ROOT_HUB#0"].ports = {{.deviceId = kMouse}};
         d.controllers[u"\\\\.\\HCD1"] = {u"{c}\\1", u"SHORT"};
         d.hostile[u"\\\\.\\SHORT"] = [](std::uint32_t code, std::span<const std::uint8_t>,
                                         std::span<std::uint8_t> output) -> std::optional<std::size_t> {
           if (code == kGetNodeInformation) {
             output[kPortCountOffset] = 3;
             return kNodeInformationBytes;
           }
           output[kDeviceIsHubOffset] = 0;
           return kConnectionStatusOffset + 3;  // the status field is incomplete
         };
       },
       {kMouse}},
  };
  return cases;
}

class UsbWalkTest : public testing::TestWithParam<WalkCase> {};

TEST_P(UsbWalkTest, FindsTheConnectedDevices) {
  FakeUsbDriver driver;
  GetParam().arrange(driver);
  EXPECT_EQ(EnumerateUsbDevices(driver), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Trees, UsbWalkTest, testing::ValuesIn(WalkCases()),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(UsbWalkTest, TriesEveryNumberedControllerThenTheInterfacesAndOpensEachHubOnce) {
  FakeUsbDriver driver = FakeUsbDriver::WithDevices({kMouse});
  driver.controllers[kInterface] = driver.controllers[kHcd0];
  driver.interfacePaths = {kInterface};
  EnumerateUsbDevices(driver);
  std::vector<std::u16string> expected;
  for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
    expected.push_back(u"\\\\.\\HCD" + std::u16string(1, digit));
  }
  expected.insert(expected.begin() + 1, u"\\\\.\\ROOT_HUB#0");
  expected.push_back(kInterface);
  EXPECT_EQ(driver.opened(), expected);
  // A hub claiming 255 ports is asked about each of them, and no more.
  driver.hubs[u"ROOT_HUB#0"].portCountClaim = 255;
  const std::size_t before = driver.requests().size();
  EnumerateUsbDevices(driver);
  const auto connectionRequests = std::count_if(
      driver.requests().begin() + static_cast<std::ptrdiff_t>(before), driver.requests().end(),
      [](const FakeUsbDriver::Request& r) { return r.code == kGetNodeConnectionInformationEx; });
  EXPECT_EQ(connectionRequests, 255);
}

TEST(UsbWalkTest, AnyDevicePresentWalksAnewForAWantedList) {
  FakeUsbDriver driver = FakeUsbDriver::WithDevices({kWatchdataKey, kWatchdataKey});
  const Ids wanted{kFeitianKey, kWatchdataKey};
  EXPECT_TRUE(AnyUsbDevicePresent(driver, wanted));
  EXPECT_FALSE(AnyUsbDevicePresent(driver, Ids{kFeitianKey}));
  const std::size_t opens = driver.opened().size();
  EXPECT_FALSE(AnyUsbDevicePresent(driver, Ids{}));
  EXPECT_EQ(driver.opened().size(), opens);
  EXPECT_FALSE(AnyUsbDevicePresent(FakeUsbDriver{}, wanted));
}

}  // namespace
}  // namespace tessaly
