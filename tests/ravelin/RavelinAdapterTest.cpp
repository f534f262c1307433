// Ravelin's exports over the stand-in token manager: the frame gives back everything it
// took, the texts land in the caller's buffer exactly as the contract lays them out and
// never beyond its size, and the key checks sum their reason codes.
#include "adapters/ravelin/RavelinAdapter.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "adapters/ravelin/standin/StandInTokenManager.h"
#include "tests/fakes/FakeClock.h"
#include "tests/ravelin/RavelinTestServices.h"

namespace tessaly::ravelin {
namespace {

constexpr char kSerial[] = "WD0123456789";
constexpr char kOtherSerial[] = "WD9876543210";
constexpr std::int64_t kNow = 1'800'000'000;
constexpr std::int64_t kDay = 86400;

std::string Certificate(const std::string& content, const char* spec = "signature") {
  return std::string("certificate ") + spec + " " + Hex(FakeDer(content)) + "\n";
}

class RavelinAdapterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock.now = kNow;
    clock.utcOffsetSeconds = 8 * 3600;  // Beijing
    system.InstallComplete("3.3.9.0");
    AddCertificate("alice", std::string(kSerial) + "@Alice", kNow + 30 * kDay);
    AddCertificate("bob", std::string(kSerial) + "@Bob", kNow + 60 * kDay);
  }

  void TearDown() override {
    EXPECT_EQ(tokens.counters().contextsOpen, 0) << "a context was not released";
    EXPECT_EQ(tokens.counters().devicesOpen, 0) << "a device was not closed";
    if (lock.wait == LockWait::Acquired) {
      EXPECT_EQ(lock.acquired, lock.released) << "the lock was not released";
    }
  }

  void Keys(const std::string& text) {
    const auto keys = standin::ParseStandInKeys(text);
    ASSERT_TRUE(keys.has_value()) << text;
    tokens.Replace(*keys);
  }

  void AddCertificate(const std::string& content, const std::string& commonName,
                      std::int64_t notAfter, std::uint32_t chainStatus = 0) {
    certificates.entries[FakeDer(content)] = {
        {commonName, "CN=Stand-in CA, O=Brimvane", kNow - 100 * kDay, notAfter}, chainStatus};
  }

  standin::StandInTokenManager tokens{{}};
  CountingLock lock;
  TableCertificateReader certificates;
  RecordingMessages messages;
  PlantedMiddleware system;
  MiddlewareInstallation middleware{system};
  FakeClock clock;
  RavelinAdapter adapter{{tokens, lock, certificates, messages, middleware, clock}};
};

// A caller's buffer of exactly the contract's size, followed by a guard that must stay.
template <std::size_t Size>
struct GuardedBuffer {
  std::array<char, Size + 16> bytes;
  GuardedBuffer() { bytes.fill('\x5A'); }
  char* data() { return bytes.data(); }
  bool GuardIntact() const {
    for (std::size_t i = Size; i < bytes.size(); ++i) {
      if (bytes[i] != '\x5A') {
        return false;
      }
    }
    return true;
  }
};

TEST_F(RavelinAdapterTest, KeyCountReportsTheSlotListAndItsFailures) {
  std::int32_t count = -7;
  EXPECT_EQ(adapter.GetKeyCount(nullptr), 0);

  Keys("");
  EXPECT_EQ(adapter.GetKeyCount(&count), 1);
  EXPECT_EQ(count, 0);
  Keys(KeyText(kSerial, 1) + KeyText(kOtherSerial, 2));
  EXPECT_EQ(adapter.GetKeyCount(&count), 1);
  EXPECT_EQ(count, 2);

  Keys("slot-list-fails\n" + KeyText(kSerial, 1));
  count = -7;
  EXPECT_EQ(adapter.GetKeyCount(&count), 0);
  EXPECT_EQ(count, 0);
  Keys("context-fails\n" + KeyText(kSerial, 1));
  count = -7;
  EXPECT_EQ(adapter.GetKeyCount(&count), 0);
  EXPECT_EQ(count, 0);

  // Eleven keys do not fit the ten entries Ravelin offers: the count is refused.
  std::string eleven;
  for (std::uint32_t slot = 1; slot <= 11; ++slot) {
    eleven += KeyText("WD" + std::to_string(slot), slot);
  }
  Keys(eleven);
  EXPECT_EQ(adapter.GetKeyCount(&count), 0);
  EXPECT_EQ(count, 0);
}

TEST_F(RavelinAdapterTest, AFailedLockWaitLeavesTheCountUntouchedAndReleasesTheLock) {
  Keys(KeyText(kSerial, 1));
  lock.wait = LockWait::Failed;
  std::int32_t count = -7;
  EXPECT_EQ(adapter.GetKeyCount(&count), 0);
  EXPECT_EQ(count, -7);
  EXPECT_EQ(lock.released, 1);
  EXPECT_EQ(adapter.GetKeySN(GuardedBuffer<2048>().data()), 0);
  EXPECT_EQ(adapter.GetPinRetryTimes(kSerial), -1);

  // A lock that cannot be opened at all does not stop the export.
  lock.wait = LockWait::Unavailable;
  EXPECT_EQ(adapter.GetKeyCount(&count), 1);
  EXPECT_EQ(count, 1);
}

TEST_F(RavelinAdapterTest, SerialsAreWrittenBackToBackWithOneNulAfterTheLast) {
  Keys(KeyText(kSerial, 1) + "key 3\nserial-length 0\n" + KeyText(kOtherSerial, 2));
  GuardedBuffer<2048> out;
  ASSERT_EQ(adapter.GetKeySN(out.data()), 1);
  EXPECT_EQ(std::string(out.data(), 25), std::string("WD0123456789WD9876543210") + '\0');
  EXPECT_TRUE(out.GuardIntact());

  Keys("");
  EXPECT_EQ(adapter.GetKeySN(out.data()), 0);
  EXPECT_EQ(out.data()[0], '\0');
  EXPECT_EQ(adapter.GetKeySN(nullptr), 0);
}

TEST_F(RavelinAdapterTest, ASerialLongerThanSixteenBytesIsRefused) {
  Keys(KeyText("WDABCDEFGHIJKLMN", 1, "serial-length 40\n") + KeyText(kOtherSerial, 2));
  GuardedBuffer<2048> out;
  ASSERT_EQ(adapter.GetKeySN(out.data()), 1);
  EXPECT_STREQ(out.data(), kOtherSerial);
  EXPECT_EQ(adapter.GetPinRetryTimes("WDABCDEFGHIJKLMN"), -1);
}

TEST_F(RavelinAdapterTest, CommonNamesFollowTheWalkOrderEachWithANulAndOneMoreAtTheEnd) {
  AddCertificate("carol", "Carol", kNow + kDay * 9);
  Keys(KeyText(kSerial, 1, "container broken unopenable\n" + Certificate("carol") +
                                "container first\n" + Certificate("bob", "exchange") +
                                Certificate("alice") + "container second\n" +
                                Certificate("not-a-certificate") + Certificate("carol", "exchange")));
  GuardedBuffer<2048> out;
  // A longer text that begins with the serial selects the key.
  ASSERT_EQ(adapter.GetCertCN("WD0123456789 and more", out.data()), 1);
  const std::string expected = std::string(kSerial) + "@Alice" + '\0' + kSerial + "@Bob" + '\0' +
                               "Carol" + '\0' + '\0';
  EXPECT_EQ(std::string(out.data(), expected.size()), expected);
  EXPECT_TRUE(out.GuardIntact());

  EXPECT_EQ(adapter.GetCertCN(kOtherSerial, out.data()), 0);
  EXPECT_EQ(adapter.GetCertCN("WD01", out.data()), 0);  // shorter than the serial
  EXPECT_EQ(adapter.GetCertCN(nullptr, out.data()), 0);
  EXPECT_EQ(adapter.GetCertCN(kSerial, nullptr), 0);
}

TEST_F(RavelinAdapterTest, NoCertificateOrAnEmptyFirstNameGivesNoNames) {
  AddCertificate("nameless", "", kNow + 9 * kDay);
  GuardedBuffer<2048> out;
  Keys(KeyText(kSerial, 1, "container empty\n"));
  EXPECT_EQ(adapter.GetCertCN(kSerial, out.data()), 0);
  Keys(KeyText(kSerial, 1, "container c\n" + Certificate("nameless") + Certificate("alice", "exchange")));
  EXPECT_EQ(adapter.GetCertCN(kSerial, out.data()), 0);
}

TEST_F(RavelinAdapterTest, NamesThatWouldOverflowTheCallersBufferFailInsteadOfWritingBeyondIt) {
  std::string containers;
  for (int i = 0; i < 12; ++i) {
    const std::string content = "long-" + std::to_string(i);
    AddCertificate(content, std::string(200, static_cast<char>('a' + i)), kNow + 9 * kDay);
    containers += "container c" + std::to_string(i) + "\n" + Certificate(content);
  }
  Keys(KeyText(kSerial, 1, containers));
  GuardedBuffer<2048> out;
  EXPECT_EQ(adapter.GetCertCN(kSerial, out.data()), 0);
  EXPECT_TRUE(out.GuardIntact());
}

TEST_F(RavelinAdapterTest, TheWalkStopsAfter64ContainersAndCutsUnterminatedNames) {
  // A container name that fills the whole buffer without a terminator is cut to 127 bytes,
  // which is how the token manager finds it again.
  std::string containers = "container " + std::string(200, 'n') + "\n" + Certificate("alice");
  for (int i = 1; i < 70; ++i) {
    containers += "container c" + std::to_string(i) + "\n" + Certificate("bob");
  }
  Keys(KeyText(kSerial, 1, containers));
  GuardedBuffer<2048> out;
  ASSERT_EQ(adapter.GetCertCN(kSerial, out.data()), 1);
  std::size_t names = 0;
  for (const char* name = out.data(); *name != '\0'; name += std::strlen(name) + 1) {
    EXPECT_EQ(std::string(name), std::string(kSerial) + (names == 0 ? "@Alice" : "@Bob"));
    ++names;
  }
  EXPECT_EQ(names, 64u);
}

TEST_F(RavelinAdapterTest, ACertificateLongerThanItsBufferIsNoCertificate) {
  Keys(KeyText(kSerial, 1, "container c\ncertificate signature " + Hex(FakeDer("alice")) +
                                " reported-length 5000\n" + Certificate("bob", "exchange")));
  GuardedBuffer<2048> out;
  ASSERT_EQ(adapter.GetCertCN(kSerial, out.data()), 1);
  EXPECT_STREQ(out.data(), "WD0123456789@Bob");
}

TEST_F(RavelinAdapterTest, DatesAndIssuerOfTheCertificateNamedExactly) {
  Keys(KeyText(kSerial, 1, "container c\n" + Certificate("alice") + Certificate("bob", "exchange")));
  // 1800000000 is 2027-01-15 08:00 UTC; Beijing is 16:00 the same day.
  const std::string bob = std::string(kSerial) + "@Bob";
  GuardedBuffer<12> date;
  ASSERT_EQ(adapter.GetCertNotAfter(bob.c_str(), date.data()), 1);
  EXPECT_EQ(std::string(date.data(), 11), std::string("2027-03-16") + '\0');
  EXPECT_TRUE(date.GuardIntact());
  ASSERT_EQ(adapter.GetCertNotBefore(bob.c_str(), date.data()), 1);
  EXPECT_STREQ(date.data(), "2026-10-07");
  GuardedBuffer<512> issuer;
  ASSERT_EQ(adapter.GetCertIssuer(bob.c_str(), issuer.data()), 1);
  EXPECT_STREQ(issuer.data(), "CN=Stand-in CA, O=Brimvane");

  // The key matched but no certificate has this name: success, out unchanged.
  GuardedBuffer<12> untouched;
  EXPECT_EQ(adapter.GetCertNotAfter("WD0123456789@Nobody", untouched.data()), 1);
  EXPECT_EQ(untouched.data()[0], '\x5A');
  // A name that does not begin with a key's serial selects no key.
  EXPECT_EQ(adapter.GetCertNotAfter("Alice", untouched.data()), 0);
  EXPECT_EQ(adapter.GetCertIssuer(nullptr, issuer.data()), 0);
}

TEST_F(RavelinAdapterTest, FactoryNameAndInstalledVersion) {
  GuardedBuffer<10> factory;
  ASSERT_EQ(adapter.GetFactoryName(factory.data()), 1);
  EXPECT_STREQ(factory.data(), "Watchdata");
  EXPECT_TRUE(factory.GuardIntact());
  EXPECT_EQ(adapter.GetFactoryName(nullptr), 0);

  GuardedBuffer<260> version;
  ASSERT_EQ(adapter.GetSoftwareVersion(version.data()), 1);
  EXPECT_STREQ(version.data(), "3.3.9.0");
  EXPECT_TRUE(version.GuardIntact());
  system.registry.clear();
  ASSERT_EQ(adapter.GetSoftwareVersion(version.data()), 1);
  EXPECT_EQ(std::string(version.data(), 260), std::string(260, '\0'));
  EXPECT_EQ(adapter.GetSoftwareVersion(nullptr), 0);
}

struct KeyEnvironmentCase {
  const char* name;
  std::string keys;
  bool middlewareComplete;
  std::int32_t result;
  std::int32_t code;
  bool oneKeyMessage;
};

TEST_F(RavelinAdapterTest, CheckKeyEnvSumsItsReasonCodes) {
  AddCertificate("expiring", "Expiring", kNow + kDay - 1);
  AddCertificate("untrusted", "Untrusted", kNow + 9 * kDay, 0x20);  // CERT_TRUST_IS_UNTRUSTED_ROOT
  AddCertificate("expired-chain", "Lapsed", kNow + 9 * kDay, kChainNotTimeValid);
  const std::string good = KeyText(kSerial, 1, "container c\n" + Certificate("alice"));
  // The result follows the certificate check alone: a key that fails device authentication
  // but carries a good certificate answers 1 with 4 in its code.
  const KeyEnvironmentCase cases[] = {
      {"one good key", good, true, 1, 0, false},
      {"middleware incomplete", good, false, 1, 1, false},
      {"two keys", good + KeyText(kOtherSerial, 2), true, 0, 0, true},
      {"two keys, middleware incomplete", good + KeyText(kOtherSerial, 2), false, 0, 1, true},
      {"no key", "", true, 0, 2, false},
      {"no key, middleware incomplete", "", false, 0, 3, false},
      {"first slot entry zero", "key 0\nserial WD1\n", true, 0, 2, false},
      {"context fails", "context-fails\n" + good, true, 0, 2, false},
      {"slot list fails", "slot-list-fails\n" + good, true, 0, 2, false},
      {"authentication fails", KeyText(kSerial, 1, "auth-fails\ncontainer c\n" + Certificate("alice")),
       true, 1, 4, false},
      {"reset answer too short",
       "key 1\nserial WD1\nreset-answer 3b9f958011\ncontainer c\n" + Certificate("alice"), true, 1,
       4, false},
      {"select fails", KeyText(kSerial, 1, "select-fails\ncontainer c\n" + Certificate("alice")),
       true, 1, 4, false},
      {"master key type fails",
       KeyText(kSerial, 1, "master-key-fails\ncontainer c\n" + Certificate("alice")), true, 1, 4,
       false},
      {"no certificate", KeyText(kSerial, 1, "container c\n"), true, 0, 8, false},
      {"expires within a day", KeyText(kSerial, 1, "container c\n" + Certificate("expiring")),
       true, 0, 8, false},
      {"second certificate untrusted",
       KeyText(kSerial, 1, "container c\n" + Certificate("alice") + Certificate("untrusted", "exchange")),
       true, 0, 8, false},
      {"chain only out of time", KeyText(kSerial, 1, "container c\n" + Certificate("expired-chain")),
       true, 1, 0, false},
      {"everything fails but the key",
       KeyText(kSerial, 1, "auth-fails\ncontainer c\n" + Certificate("expiring")), false, 0, 13,
       false},
  };
  for (const KeyEnvironmentCase& test : cases) {
    SCOPED_TRACE(test.name);
    system.files.clear();
    system.registry.clear();
    if (test.middlewareComplete) {
      system.InstallComplete("3.3.9.0");
    }
    messages.shown.clear();
    Keys(test.keys);
    std::int32_t code = -1;
    EXPECT_EQ(adapter.CheckKeyEnv(&code), test.result);
    EXPECT_EQ(code, test.code);
    EXPECT_EQ(messages.shown, test.oneKeyMessage
                                  ? std::vector<std::u16string>{u"*|检测时请插入一只KEY"}
                                  : std::vector<std::u16string>{});
  }
  EXPECT_EQ(adapter.CheckKeyEnv(nullptr), 0);
}

TEST_F(RavelinAdapterTest, TheChainIsBuiltForTheLengthTheDerHeaderStates) {
  Keys(KeyText(kSerial, 1, "container c\n" + Certificate("alice")));
  // A reported length beyond the DER (trailing bytes) still builds the chain of the DER alone.
  std::vector<std::uint8_t> padded = FakeDer("alice");
  const std::size_t derLength = padded.size();
  padded.insert(padded.end(), {0, 0, 0});
  Keys(KeyText(kSerial, 1, "container c\ncertificate signature " + Hex(padded) + "\n"));
  std::int32_t code = -1;
  adapter.CheckKeyEnv(&code);
  ASSERT_EQ(certificates.chainsBuilt.size(), 1u);
  EXPECT_EQ(certificates.chainsBuilt[0], FakeDer("alice"));
  EXPECT_EQ(certificates.chainsBuilt[0].size(), derLength);

  // A header claiming more than was read fails the check without building a chain.
  std::vector<std::uint8_t> truncated = FakeDer("alice");
  truncated.resize(truncated.size() - 2);
  Keys(KeyText(kSerial, 1, "container c\ncertificate signature " + Hex(truncated) + "\n"));
  EXPECT_EQ(adapter.CheckKeyEnv(&code), 0);
  EXPECT_EQ(code, 8);
  EXPECT_EQ(certificates.chainsBuilt.size(), 1u);
}

TEST_F(RavelinAdapterTest, TheInstalledVersionSelectsTheCallFormOfTheCertificateRead) {
  const std::string iniKey = "C:\\Program Files\\Watchdata\\WatchSafe.ini";
  system.registry[{"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\Watchdata CSP v3.3",
                   "Image Path", false}] = "C:\\Program Files\\Watchdata\\WDCSP03.dll";
  GuardedBuffer<2048> out;
  Keys(KeyText(kSerial, 1, "key-form old\ncontainer c\n" + Certificate("alice")));
  EXPECT_EQ(adapter.GetCertCN(kSerial, out.data()), 0);  // no version: the new form
  system.ini[{iniKey, "WatchSAFE3.2", "ProductVersion"}] = "3.3.5";
  EXPECT_EQ(adapter.GetCertCN(kSerial, out.data()), 1);
  Keys(KeyText(kSerial, 1, "key-form new\ncontainer c\n" + Certificate("alice")));
  EXPECT_EQ(adapter.GetCertCN(kSerial, out.data()), 0);
}

struct PinCase {
  const char* name;
  std::string more;
  std::int32_t defaultPin;
};

TEST_F(RavelinAdapterTest, DefaultPinFollowsTheStatusWordThenThePinFlags) {
  const PinCase cases[] = {
      {"never changed", "default-pin-status 6985\n", 1},
      {"changed", "default-pin-status 9000\n", 0},
      {"other status, flag set", "default-pin-status 6a82\npin-flags 00000800\n", 1},
      {"other status, flag clear", "default-pin-status 6a82\npin-flags fffff7ff\n", 0},
      {"first read fails, second after auth", "default-pin-status 6a82\npin-flags 00000800\npin-flags-read-fails 1\n", 1},
      {"both reads fail", "default-pin-status 6a82\npin-flags 00000800\npin-flags-read-fails 2\n", 0},
      {"no binary file", "default-pin-status 6a82\n", 0},
      {"auth fails", "auth-fails\ndefault-pin-status 6985\n", 0},
  };
  for (const PinCase& test : cases) {
    SCOPED_TRACE(test.name);
    Keys(KeyText(kSerial, 1, test.more));
    EXPECT_EQ(adapter.DefaultPINFlg(kSerial), test.defaultPin);
  }
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(adapter.DefaultPINFlg(nullptr), 1);
  EXPECT_EQ(adapter.DefaultPINFlg(kOtherSerial), 0);

  Keys("");
  EXPECT_EQ(adapter.DefaultPINFlg(kSerial), 0);
  EXPECT_EQ(messages.shown, std::vector<std::u16string>{u"警告|未检测到USBKEY"});
}

TEST_F(RavelinAdapterTest, PinTriesAreTheLowNibbleOf63Cx) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"63c3", 3}, {"63c0", 0}, {"63cf", 15}, {"6983", -1}, {"9000", -1}, {"63b3", -1}};
  for (const auto& [status, tries] : cases) {
    SCOPED_TRACE(status);
    // WDSCardAuth failing does not matter here.
    Keys(KeyText(kSerial, 1, std::string("auth-fails\npin-status ") + status + "\n"));
    EXPECT_EQ(adapter.GetPinRetryTimes("WD0123456789-suffix"), tries);
  }
  const int apdus = tokens.counters().apdus;
  EXPECT_EQ(adapter.GetPinRetryTimes(""), -1);
  EXPECT_EQ(adapter.GetPinRetryTimes(nullptr), -1);
  EXPECT_EQ(tokens.counters().apdus, apdus);
  EXPECT_EQ(adapter.GetPinRetryTimes(kOtherSerial), -1);
}

}  // namespace
}  // namespace tessaly::ravelin
