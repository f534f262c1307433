#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "config/ConfigWorker.h"
#include "platform/HttpDownload.h"
#include "platform/RegistryValues.h"
#include "tests/config/FakeConfigPlatform.h"
#include "tests/fakes/FakeInternet.h"
#include "tests/fakes/TestDocumentKey.h"
#include "tests/fakes/FakeModuleResources.h"
#include "tests/fakes/FakeRegistry.h"

namespace tessaly {
namespace {

constexpr char16_t kServer32[] = u"http://download.quaymark.example/wydown/ocx/item_L.xml";
constexpr char16_t kServer64[] = u"http://download.quaymark.example/wydown/ocx/item64_L.xml";
constexpr char16_t kProfileKey[] = u"Software\\Brimvane\\Tessaly\\Quaymark";

// A sound document whose one item tells where it came from.
std::string DocumentNamed(const std::string& name) {
  return "<checkitems base=\"http://download.quaymark.example/wydown/ocx/\">"
         "<config type=\"host\"><entry>www.quaymark.example</entry></config>"
         "<item name=\"" + name + "\" type=\"ActiveX\"/></checkitems>";
}

WindowsVersionFacts Facts(std::uint32_t major, std::uint16_t architecture) {
  return WindowsVersionFacts{.versionQueryOk = true, .major = major, .minor = 1,
                             .processorArchitecture = architecture};
}
constexpr std::uint16_t kIntel = 0;
constexpr std::uint16_t kAmd64 = 9;

class ConfigWorkerTest : public testing::Test {
 protected:
  ConfigWorkerTest() {
    fakes.systemFacts.versionFacts = Facts(6, kAmd64);
    resources.Put("ITEM.XML", kResourceTypeHtml, DocumentNamed("embedded"));
    internet.responses[kServer32] = FakeResponse::Ok(DocumentNamed("server 32"));
    internet.responses[kServer64] = FakeResponse::Ok(DocumentNamed("server 64"));
  }

  void SetOverride(const RegistryValue& value) {
    registry.SetValue(RegistryRoot::CurrentUser, kProfileKey, u"ConfigUrl", value);
  }
  void SetOverride(std::u16string_view url) {
    auto key = registry.CreateKey(RegistryRoot::CurrentUser, kProfileKey,
                                  RegistryAccess::ReadWrite, RegistryView::Default);
    ASSERT_EQ(WriteString(*key, u"ConfigUrl", url), RegistryStatus::Ok);
  }

  void Run() {
    const int sessionsBefore = internet.log().sessionsOpened;
    ConfigWorker(services, results);
    EXPECT_LE(internet.log().sessionsOpened - sessionsBefore, 1) << "one session, one attempt";
  }

  // The name of the only item, or "" when the configuration holds none.
  std::string Source() const { return config.items.size() == 1 ? config.items[0].name : ""; }

  std::vector<std::u16string> Requested() const {
    std::vector<std::u16string> urls;
    for (const auto& request : internet.log().opened) {
      urls.push_back(request.url);
    }
    return urls;
  }

  void TearDown() override {
    EXPECT_FALSE(running.load()) << "the worker reports its end";
    EXPECT_EQ(internet.log().liveSessions, 0) << "its session is closed";
  }

  FakeInternet internet;
  FakeRegistry registry;
  FakeModuleResources resources;
  FakeConfigPlatform fakes;
  ConfigWorkerServices services{internet, registry, resources, fakes.platform, u"Tessaly"};
  CheckConfig config;
  std::atomic<int> online{-1};
  std::atomic<bool> running{true};
  ConfigWorkerResults results{config, online, running};
};

TEST_F(ConfigWorkerTest, FetchesTheServerDocumentThatSuitsTheSystem) {
  const struct {
    const char* what;
    WindowsVersionFacts facts;
    const char* source;
  } cases[] = {
      {"64-bit Windows 7", Facts(6, kAmd64), "server 64"},
      {"64-bit Windows 10", Facts(10, kAmd64), "server 64"},
      {"32-bit Windows 7", Facts(6, kIntel), "server 32"},
      {"64-bit Windows XP", Facts(5, kAmd64), "server 32"},
      {"a system that hides its version", WindowsVersionFacts{}, "server 64"},
  };
  for (const auto& [what, facts, source] : cases) {
    FakeInternet freshInternet;
    freshInternet.responses = internet.responses;
    fakes.systemFacts.versionFacts = facts;
    CheckConfig freshConfig;
    ConfigWorker({freshInternet, registry, resources, fakes.platform, u"Tessaly"},
                 {freshConfig, online, running});
    ASSERT_EQ(freshConfig.items.size(), 1u) << what;
    EXPECT_EQ(freshConfig.items[0].name, source) << what;
    EXPECT_TRUE(freshConfig.configReady.load()) << what;
    EXPECT_EQ(online.load(), 1) << what;
    ASSERT_EQ(freshInternet.log().opened.size(), 1u) << what;
    EXPECT_EQ(freshInternet.log().opened[0].connectTimeout, kConfigConnectTimeoutMs) << what;
    EXPECT_EQ(freshInternet.log().sessionsOpened, 1) << what;
    EXPECT_EQ(freshInternet.log().liveSessions, 0) << what;
  }
  EXPECT_EQ(resources.loads, 0) << "the default is not even loaded";
}

TEST_F(ConfigWorkerTest, AnOverrideIsFetchedAsWrittenInsteadOfTheServer) {
  internet.responses[u"http://admin.test/items.xml?site=7"] = FakeResponse::Ok(DocumentNamed("admin"));
  SetOverride(u"http://admin.test/items.xml?site=7");
  Run();
  EXPECT_EQ(Source(), "admin");
  EXPECT_EQ(online.load(), 1);
  EXPECT_EQ(Requested(), std::vector<std::u16string>{u"http://admin.test/items.xml?site=7"});
}

TEST_F(ConfigWorkerTest, AnOverrideThatFailsFallsBackToTheDefaultNotToTheServer) {
  internet.responses[u"http://admin.test/items.xml"] = FakeResponse::WithStatus(404, "not found");
  SetOverride(u"http://admin.test/items.xml");
  Run();
  EXPECT_EQ(Source(), "embedded");
  EXPECT_TRUE(config.configReady.load());
  EXPECT_EQ(online.load(), 0);
  EXPECT_EQ(Requested(), std::vector<std::u16string>{u"http://admin.test/items.xml"});
}

TEST_F(ConfigWorkerTest, AnEmptyOrNonTextOverrideLeavesTheServerInCharge) {
  SetOverride(u"");
  Run();
  EXPECT_EQ(Source(), "server 64");

  SetOverride(RegistryValue{RegistryType::Dword, {1, 0, 0, 0}});
  config.items.clear();
  Run();
  EXPECT_EQ(Source(), "server 64");
}

TEST_F(ConfigWorkerTest, AnOverrideTooLongForAUrlIsOneThatCannotBeFetched) {
  SetOverride(u"http://admin.test/" + std::u16string(kMaxConfigUrlChars, u'x'));
  Run();
  EXPECT_TRUE(Requested().empty());
  EXPECT_EQ(Source(), "embedded");
  EXPECT_EQ(online.load(), 0);
}

TEST_F(ConfigWorkerTest, LookingUpTheOverrideCreatesItsKey) {
  ASSERT_FALSE(registry.KeyExists(RegistryRoot::CurrentUser, kProfileKey));
  Run();
  EXPECT_TRUE(registry.KeyExists(RegistryRoot::CurrentUser, kProfileKey));
  EXPECT_EQ(registry.FindValue(RegistryRoot::CurrentUser, kProfileKey, u"ConfigUrl"), nullptr)
      << "nothing is written";
}

TEST_F(ConfigWorkerTest, ADownloadedDocumentThatIsNotSoundIsReplacedByTheDefault) {
  config.items.push_back(ComponentItem{.name = "left over"});
  internet.responses[kServer64] = FakeResponse::Ok("<html><body>Welcome to our hotel Wi-Fi</body>");
  Run();
  EXPECT_TRUE(config.configReady.load());
  EXPECT_EQ(Source(), "embedded") << "nothing of the left-over or the unsound document stays";
  EXPECT_EQ(online.load(), 0);
  EXPECT_EQ(resources.loads, 1);
}

TEST_F(ConfigWorkerTest, EveryKindOfFailedDownloadFallsBackToTheDefault) {
  const std::string document = DocumentNamed("server 64");
  FakeResponse broken = FakeResponse::Ok(document);
  broken.breakAfterBytes = 20;
  const struct {
    const char* what;
    FakeResponse response;
  } cases[] = {
      {"a length that differs from the body", FakeResponse::Lying(document, document.size() + 9)},
      {"a server error", FakeResponse::WithStatus(500, document)},
      {"a connection that breaks", broken},
      {"an empty 200 answer", FakeResponse::Ok("")},
      {"a 200 answer that is no configuration", FakeResponse::Ok("<checkitems><item name=\"cut")},
      {"a sound document of another root", FakeResponse::Ok("<config><item name=\"x\"/></config>")},
  };
  for (const auto& [what, response] : cases) {
    internet.responses[kServer64] = response;
    CheckConfig freshConfig;
    ConfigWorker(services, {freshConfig, online, running});
    ASSERT_EQ(freshConfig.items.size(), 1u) << what;
    EXPECT_EQ(freshConfig.items[0].name, "embedded") << what;
    EXPECT_TRUE(freshConfig.configReady.load()) << what;
    EXPECT_EQ(online.load(), 0) << what;
  }
}

TEST_F(ConfigWorkerTest, WithoutASessionTheDefaultIsUsed) {
  internet.failOpenSession = true;
  Run();
  EXPECT_EQ(Source(), "embedded");
  EXPECT_EQ(online.load(), 0);
  EXPECT_TRUE(Requested().empty());
}

TEST_F(ConfigWorkerTest, AMissingOrUnsoundDefaultLeavesTheConfigurationNotReady) {
  internet.responses.clear();
  resources.Put("item.xml", kResourceTypeHtml, "");
  Run();
  EXPECT_FALSE(config.configReady.load());
  EXPECT_EQ(online.load(), 0);

  resources.Put("item.xml", kResourceTypeHtml, "<checkitems><item name=\"cut off\"");
  config.items.push_back(ComponentItem{.name = "left over"});
  Run();
  EXPECT_FALSE(config.configReady.load());
  EXPECT_TRUE(config.items.empty());
}

TEST_F(ConfigWorkerTest, TheNewDocumentReplacesGroupsItemsAndComponents) {
  config.groups.push_back(ConfigGroup{.type = "host", .entries = {{.text = "old.example"}}});
  config.items.push_back(ComponentItem{.name = "old item"});
  config.components.push_back(ComponentItem{.name = "old component"});
  Run();
  EXPECT_EQ(Source(), "server 64");
  ASSERT_EQ(config.groups.size(), 1u);
  ASSERT_EQ(config.groups[0].entries.size(), 1u);
  EXPECT_EQ(config.groups[0].entries[0].text, "www.quaymark.example");
  EXPECT_TRUE(config.components.empty());
}

// The sequence a program keeps between starts.
class KeptSequence final : public AcceptedSequence {
 public:
  std::uint32_t Last() const override { return last; }
  void Remember(std::uint32_t sequence) override { last = sequence; }
  std::uint32_t last = 0;
};

// One program pinned to the bank's key, started again and again while the server (or an
// attacker in its place) serves one document after the other.
TEST_F(ConfigWorkerTest, WithAPinnedKeyOnlyASignedDocumentNoOlderThanTheLastIsUsed) {
  const TestDocumentKey bank;
  const TestDocumentKey attacker;
  const DocumentKey pinned[] = {bank.Raw()};
  KeptSequence kept;
  services.pinnedKeys = pinned;
  services.acceptedSequence = &kept;
  const struct {
    const char* what;
    std::string served;
    const char* source;
    int online;
    std::uint32_t kept;
  } starts[] = {
      {"signed, sequence 200", bank.Sign(DocumentNamed("bank 200"), 200), "bank 200", 1, 200},
      {"unsigned", DocumentNamed("attacker"), "embedded", 0, 200},
      {"one byte changed", bank.Sign(DocumentNamed("bank 200"), 200).replace(20, 1, "X"), "embedded", 0, 200},
      {"signed by another key", attacker.Sign(DocumentNamed("attacker"), 300), "embedded", 0, 200},
      {"validly signed, older", bank.Sign(DocumentNamed("bank 150"), 150), "embedded", 0, 200},
      {"the same again", bank.Sign(DocumentNamed("bank 200"), 200), "bank 200", 1, 200},
      {"a newer one", bank.Sign(DocumentNamed("bank 201"), 201), "bank 201", 1, 201},
      {"the one before it, now replayed", bank.Sign(DocumentNamed("bank 200"), 200), "embedded", 0, 201},
      {"signed but not sound", bank.Sign("<checkitems><item", 202), "", 1, 202},
  };
  for (const auto& start : starts) {
    internet.responses[kServer64] = FakeResponse::Ok(start.served);
    CheckConfig freshConfig;
    ConfigWorker(services, {freshConfig, online, running});
    const std::string source = freshConfig.items.size() == 1 ? freshConfig.items[0].name : "";
    EXPECT_EQ(source, start.source) << start.what;
    EXPECT_EQ(online.load(), start.online) << start.what;
    EXPECT_EQ(kept.last, start.kept) << start.what;
  }
}

TEST_F(ConfigWorkerTest, WithoutAPinnedKeyASignedDocumentReadsLikeAnyOther) {
  const TestDocumentKey bank;
  internet.responses[kServer64] = FakeResponse::Ok(bank.Sign(DocumentNamed("signed"), 7));
  Run();
  EXPECT_EQ(Source(), "signed") << "the signature comment is only a comment to the reader";
  EXPECT_TRUE(config.configReady.load());
  EXPECT_EQ(online.load(), 1);
}

}  // namespace
}  // namespace tessaly
