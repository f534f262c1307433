#include "adapters/fennick/FennickAdapter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "adapters/fennick/IdleRelease.h"
#include "tests/fakes/FakeCertificateDecoder.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/RecordingDebugOutput.h"
#include "tests/fakes/ScriptedPkcs11.h"

namespace tessaly::fennick {
namespace {

constexpr char kSerial1[] = "FT00000000000001";
constexpr char kSerial2[] = "FT00000000000002";

// Fennick over a scripted PKCS#11 library, in a time zone 8 hours east of UTC.
class FennickAdapterTest : public testing::Test {
 protected:
  FennickAdapterTest() {
    clock.utcOffsetSeconds = 8 * 3600;
    // 2016-05-19 20:00 UTC is 2016-05-20 04:00 local time.
    AddCertificate("lilei", "C=CN, O=Quaymark Bank, OU=Personal, CN=Li Lei",
                   clock.At({2014, 5, 20, 4, 0, 0}), clock.At({2016, 5, 20, 4, 0, 0}));
    AddCertificate("hanmeimei", "C=CN, O=Quaymark Bank, CN=Han Meimei",
                   clock.At({2015, 6, 1, 0, 0, 0}), clock.At({2017, 6, 1, 0, 0, 0}));
    AddCertificate("nocn", "C=CN, O=Quaymark Bank", 0, 86400);
    library.tokens = {{kSerial1, 0, 6, {"lilei"}}};
  }

  void AddCertificate(std::string der, std::string subject, std::int64_t from, std::int64_t to) {
    certificates.certificates[std::move(der)] = {std::move(subject), from, to};
  }

  FennickAdapter& Adapter() {
    if (!adapter) {
      loader.Put(std::u16string(kFeitianPkcs11Library), library.Exports());
      layer = std::make_unique<Pkcs11Layer>(loader, kFeitianPkcs11Library);
      adapter = std::make_unique<FennickAdapter>(*layer, certificates, clock, trace);
    }
    return *adapter;
  }

  std::string Serials() {
    std::array<char, 2048> out{};
    return Adapter().GetKeySN(out.data()) == 1 ? std::string(out.data()) : "(failed)";
  }
  std::string Names(const char* serial) {
    std::array<char, 2048> out{};
    return Adapter().GetCertCN(serial, out.data()) == 1 ? std::string(out.data()) : "(failed)";
  }
  static std::string Date(const std::array<char, 12>& out) {
    return std::string(out.data(), strnlen(out.data(), out.size()));
  }
  std::string NotBefore(const char* name) {
    std::array<char, 12> out{};
    return Adapter().GetCertNotBefore(name, out.data()) == 1 ? Date(out) : "(failed)";
  }
  std::string NotAfter(const char* name) {
    std::array<char, 12> out{};
    return Adapter().GetCertNotAfter(name, out.data()) == 1 ? Date(out) : "(failed)";
  }

  ScriptedPkcs11 library;
  FakeModuleLoader loader;
  FakeCertificateDecoder certificates;
  FakeClock clock;
  RecordingDebugOutput trace;
  std::unique_ptr<Pkcs11Layer> layer;
  std::unique_ptr<FennickAdapter> adapter;
};

TEST_F(FennickAdapterTest, OneKeyWithOneCertificate) {
  std::int32_t count = -5;
  EXPECT_EQ(Adapter().GetKeyCount(&count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Serials(), kSerial1);
  EXPECT_EQ(Names(kSerial1), "Li Lei");
  EXPECT_EQ(NotBefore("Li Lei"), "2014-5-20");
  EXPECT_EQ(NotAfter("Li Lei"), "2016-5-20");
  EXPECT_EQ(NotAfter("Nobody"), "") << "no certificate matched: result 1, buffer untouched";
  EXPECT_EQ(Adapter().GetPinRetryTimes(kSerial1), 6);
  EXPECT_EQ(Adapter().DefaultPINFlg(kSerial1), 0);
  std::int32_t code = 7;
  EXPECT_EQ(Adapter().CheckKeyEnv(&code), 1);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(library.openSessions, 0);
  EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "C_Initialize"), 1);
  EXPECT_EQ(loader.loads.size(), 1u) << "loaded once by its bare name";
  EXPECT_EQ(loader.loads.front(), u"QUAYMARKAUDIOPASS3000.dll");
  // The layer finalises the library once as it goes, after every other call.
  adapter.reset();
  layer.reset();
  EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "C_Finalize"), 1);
  EXPECT_EQ(library.calls.back(), "C_Finalize");
}

TEST_F(FennickAdapterTest, NoKey) {
  library.tokens.clear();
  std::int32_t count = -5;
  EXPECT_EQ(Adapter().GetKeyCount(&count), 1);
  EXPECT_EQ(count, 0);
  std::array<char, 2048> out{};
  out[0] = 'x';
  EXPECT_EQ(Adapter().GetKeySN(out.data()), 0);
  EXPECT_EQ(out[0], 'x');
  std::int32_t code = 7;
  EXPECT_EQ(Adapter().CheckKeyEnv(&code), 0);
  EXPECT_EQ(code, 7);
  EXPECT_EQ(Names(kSerial1), "(failed)");
  EXPECT_EQ(NotBefore("Li Lei"), "(failed)");
  EXPECT_EQ(Adapter().GetPinRetryTimes(kSerial1), -1);
  EXPECT_EQ(Adapter().DefaultPINFlg(kSerial1), -1);
}

TEST_F(FennickAdapterTest, TwoKeysAnswerForTheFirstSlot) {
  library.tokens = {{kSerial1, 0, 0, {"nocn"}},
                    {kSerial2, CKF_USER_PIN_TO_BE_CHANGED, 3, {"lilei", "hanmeimei"}}};
  EXPECT_EQ(Serials(), std::string(kSerial1) + "|" + kSerial2);
  EXPECT_EQ(Names(kSerial2), "Li Lei|Han Meimei");
  EXPECT_EQ(Names(kSerial1), "CN, O=Quaymark Bank") << "no CN=: all but the first two characters";
  EXPECT_EQ(NotBefore("Li Lei"), "") << "only the first slot's key is searched";
  std::int32_t code = 0;
  EXPECT_EQ(Adapter().CheckKeyEnv(&code), 1);
  EXPECT_EQ(code, 1) << "the first key's PIN is locked";
  EXPECT_EQ(Adapter().GetPinRetryTimes(kSerial1), 0);
  EXPECT_EQ(Adapter().GetPinRetryTimes(kSerial2), 3);
  EXPECT_EQ(Adapter().DefaultPINFlg(kSerial1), 0);
  EXPECT_EQ(Adapter().DefaultPINFlg(kSerial2), 1);
  EXPECT_EQ(Adapter().DefaultPINFlg("FT0000000000000"), -1) << "15 bytes are no serial";
  EXPECT_EQ(Adapter().GetPinRetryTimes("FT00000000000002 and more"), 3);
}

TEST_F(FennickAdapterTest, CertificatesOfOneKey) {
  library.tokens = {{kSerial1, 0, 6, {"hanmeimei", "lilei"}}, {kSerial2, 0, 6, {}}};
  EXPECT_EQ(Names(kSerial1), "Han Meimei|Li Lei");
  EXPECT_EQ(Names(kSerial2), "") << "no certificate: result 1, nothing written";
  EXPECT_EQ(NotAfter("Quaymark Bank"), "2017-6-1") << "a substring of several: the first found";
  EXPECT_EQ(NotAfter("CN=Li Lei"), "2016-5-20");
  EXPECT_EQ(library.openSessions, 0);
  EXPECT_EQ(library.activeSearches, 0);
}

TEST_F(FennickAdapterTest, NamesAreAppendedToWhatTheBufferHolds) {
  std::array<char, 2048> out{};
  std::strcpy(out.data(), "Earlier");
  EXPECT_EQ(Adapter().GetCertCN(kSerial1, out.data()), 1);
  EXPECT_STREQ(out.data(), "Earlier|Li Lei");
  out.fill('x');  // no terminator anywhere: nothing to append to
  EXPECT_EQ(Adapter().GetCertCN(kSerial1, out.data()), 0);
  EXPECT_EQ(out.back(), 'x');
}

TEST_F(FennickAdapterTest, OutputStaysWithinTheContractsBuffers) {
  library.tokens.clear();
  for (int i = 0; i < 200; ++i) {
    library.tokens.push_back({"FT" + std::to_string(1000000000000000 + i).substr(2), 0, 6, {}});
  }
  // 120 serials and their separators take 2039 bytes and the NUL; a 121st would not fit.
  const std::string serials = Serials();
  EXPECT_EQ(serials.size(), 120u * 17u - 1u);
  EXPECT_EQ(serials.substr(serials.size() - 16), library.tokens[119].serial);

  library.tokens = {{kSerial1, 0, 6, {}}};
  for (int i = 0; i < 30; ++i) {
    const std::string der = "long" + std::to_string(i);
    AddCertificate(der, "C=CN, CN=" + std::string(150, static_cast<char>('a' + i % 26)), 0, 1);
    library.tokens[0].certificates.push_back(der);
  }
  layer.reset();
  adapter.reset();
  // Names are cut to 99 bytes; 20 of them and their separators fill 1999 bytes, and the
  // 21st would end past the buffer.
  const std::string names = Names(kSerial1);
  EXPECT_EQ(names.size(), 20u * 100u - 1u);
  EXPECT_EQ(names.substr(0, 100), std::string(99, 'a') + "|");
}

TEST_F(FennickAdapterTest, DatesThatDoNotFitAreNotWritten) {
  clock.utcOffsetSeconds = 0;
  AddCertificate("far", "CN=Far", 0, 400'000'000'000'000);  // beyond year 9999999
  library.tokens = {{kSerial1, 0, 6, {"far"}}};
  EXPECT_EQ(NotBefore("Far"), "1970-1-1");
  EXPECT_EQ(NotAfter("Far"), "");
}

TEST_F(FennickAdapterTest, WithoutTheLibraryEveryExportFails) {
  FakeModuleLoader empty;
  Pkcs11Layer missing(empty, kFeitianPkcs11Library);
  FennickAdapter fennick(missing, certificates, clock, trace);
  std::int32_t count = 5;
  std::int32_t code = 5;
  std::array<char, 2048> out{};
  EXPECT_EQ(fennick.CheckKeyEnv(&code), 0);
  EXPECT_EQ(fennick.GetKeyCount(&count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(fennick.GetKeySN(out.data()), 0);
  EXPECT_EQ(fennick.GetCertCN(kSerial1, out.data()), 0);
  EXPECT_EQ(fennick.GetCertNotBefore("Li Lei", out.data()), 0);
  EXPECT_EQ(fennick.GetCertNotAfter("Li Lei", out.data()), 0);
  EXPECT_EQ(fennick.GetPinRetryTimes(kSerial1), -1);
  EXPECT_EQ(fennick.DefaultPINFlg(kSerial1), -1);
  EXPECT_EQ(empty.loads.size(), 1u) << "a library that failed to load is not tried again";
}

TEST_F(FennickAdapterTest, NullArgumentsFail) {
  std::array<char, 2048> out{};
  EXPECT_EQ(Adapter().CheckKeyEnv(nullptr), 0);
  EXPECT_EQ(Adapter().GetKeyCount(nullptr), 0);
  EXPECT_EQ(Adapter().GetKeySN(nullptr), 0);
  EXPECT_EQ(Adapter().GetCertCN(nullptr, out.data()), 0);
  EXPECT_EQ(Adapter().GetCertNotBefore(nullptr, out.data()), 0);
  EXPECT_EQ(Adapter().GetCertNotAfter("Li Lei", nullptr), 0);
  EXPECT_EQ(Adapter().GetPinRetryTimes(nullptr), -1);
  EXPECT_EQ(Adapter().DefaultPINFlg(nullptr), -1);
}

TEST_F(FennickAdapterTest, ListsThatCouldNotBeObtainedAreAskedForAgain) {
  library.failing = {"E_GetAuxFunctionList"};
  std::int32_t count = 0;
  EXPECT_EQ(Adapter().GetKeyCount(&count), 0);
  library.failing.clear();
  EXPECT_EQ(Adapter().GetKeyCount(&count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "C_Initialize"), 1);
}

// Under the idle release the library is finalised and unloaded on the release's own thread
// once the calls have been idle, and the next call loads and initialises it again: also a
// library that could not be loaded before (a driver installed since).
TEST_F(FennickAdapterTest, AnIdleLibraryIsFinalisedOffTheCallersThreadAndTakenUpAgain) {
  FakeModuleLoader modules;
  Pkcs11Layer pkcs11(modules, kFeitianPkcs11Library);
  FennickAdapter fennick(pkcs11, certificates, clock, trace);
  std::mutex mutex;
  std::condition_variable released;
  std::vector<std::thread::id> releasers;
  IdleRelease idle(std::chrono::milliseconds(50), [&] {
    pkcs11.Release();
    std::lock_guard lock(mutex);
    releasers.push_back(std::this_thread::get_id());
    released.notify_one();
  });
  const auto probe = [&] {
    std::int32_t count = -1;
    const std::int32_t result = idle.Run([&] { return fennick.GetKeyCount(&count); });
    return std::pair{result, count};
  };
  const auto releasedTimes = [&](std::size_t times) {
    std::unique_lock lock(mutex);
    return released.wait_for(lock, std::chrono::seconds(10),
                             [&] { return releasers.size() == times; });
  };
  EXPECT_EQ(probe(), std::pair(0, 0)) << "no library yet";
  ASSERT_TRUE(releasedTimes(1));
  modules.Put(std::u16string(kFeitianPkcs11Library), library.Exports());
  for (std::size_t times = 2; times <= 3; ++times) {
    EXPECT_EQ(probe(), std::pair(1, 1));
    ASSERT_TRUE(releasedTimes(times));
  }
  EXPECT_EQ(modules.loads.size(), 3u);
  EXPECT_EQ(modules.loaded, 0);
  std::vector<std::string> initialiseAndFinalise;
  std::copy_if(library.calls.begin(), library.calls.end(),
               std::back_inserter(initialiseAndFinalise),
               [](const std::string& call) { return call == "C_Initialize" || call == "C_Finalize"; });
  EXPECT_EQ(initialiseAndFinalise, (std::vector<std::string>{"C_Initialize", "C_Finalize",
                                                             "C_Initialize", "C_Finalize"}));
  EXPECT_NE(releasers.front(), std::this_thread::get_id());
  EXPECT_EQ(std::count(releasers.begin(), releasers.end(), releasers.front()), 3);
}

// Every call Fennick makes, failing once, against every export that makes it: the export
// answers its failure value, and no session or search is left open.
TEST_F(FennickAdapterTest, AFailureAtEveryCall) {
  struct Export {
    const char* name;
    std::int32_t failure;
    std::function<std::int32_t(FennickAdapter&)> call;
    std::set<std::string> uses;
  };
  const std::set<std::string> lists{"C_GetFunctionList", "E_GetAuxFunctionList", "C_GetSlotList",
                                    "C_GetSlotList 2"};
  const auto with = [&lists](std::set<std::string> more) {
    more.insert(lists.begin(), lists.end());
    return more;
  };
  const std::set<std::string> walk{"C_GetTokenInfo",    "C_OpenSession",         "C_FindObjectsInit",
                                   "C_FindObjects",     "C_GetAttributeValue",   "C_GetAttributeValue 2",
                                   "C_FindObjectsFinal", "C_CloseSession"};
  std::set<std::string> dateWalk = walk;
  dateWalk.erase("C_GetTokenInfo");
  std::array<char, 2048> out{};
  std::int32_t number = 0;
  const std::vector<Export> exports{
      {"CheckKeyEnv", 0, [&](FennickAdapter& f) { return f.CheckKeyEnv(&number); },
       with({"AuxGetPinInfo"})},
      {"GetKeyCount", 0, [&](FennickAdapter& f) { return f.GetKeyCount(&number); },
       with({"C_GetTokenInfo"})},
      {"GetKeySN", 0, [&](FennickAdapter& f) { return f.GetKeySN(out.data()); },
       with({"C_GetTokenInfo"})},
      {"GetCertCN", 0, [&](FennickAdapter& f) { return f.GetCertCN(kSerial1, out.data()); },
       with(walk)},
      {"GetCertNotAfter", 0,
       [&](FennickAdapter& f) { return f.GetCertNotAfter("Li Lei", out.data()); }, with(dateWalk)},
      {"GetPinRetryTimes", -1, [&](FennickAdapter& f) { return f.GetPinRetryTimes(kSerial1); },
       with({"C_GetTokenInfo", "AuxGetPinInfo"})},
      {"DefaultPINFlg", -1, [&](FennickAdapter& f) { return f.DefaultPINFlg(kSerial1); },
       with({"C_GetTokenInfo"})},
  };
  const std::vector<std::string> calls{
      "C_GetFunctionList", "E_GetAuxFunctionList", "C_Initialize", "C_GetSlotList",
      "C_GetSlotList 2",   "C_GetTokenInfo",       "C_OpenSession", "C_FindObjectsInit",
      "C_FindObjects",     "C_GetAttributeValue",  "C_GetAttributeValue 2", "C_FindObjectsFinal",
      "C_CloseSession",    "AuxGetPinInfo"};
  for (const Export& e : exports) {
    for (const std::string& failing : calls) {
      SCOPED_TRACE(std::string(e.name) + " with " + failing + " failing");
      ScriptedPkcs11 scripted;
      scripted.tokens = {{kSerial1, CKF_USER_PIN_TO_BE_CHANGED, 6, {"lilei"}}};
      scripted.failing = {failing};
      FakeModuleLoader modules;
      modules.Put(std::u16string(kFeitianPkcs11Library), scripted.Exports());
      Pkcs11Layer pkcs11(modules, kFeitianPkcs11Library);
      FennickAdapter fennick(pkcs11, certificates, clock, trace);
      out.fill('\0');
      const std::int32_t result = e.call(fennick);
      if (e.uses.contains(failing)) {
        EXPECT_EQ(result, e.failure);
      } else {
        EXPECT_NE(result, e.failure);
      }
      EXPECT_EQ(scripted.openSessions, 0);
      EXPECT_EQ(scripted.activeSearches, 0);
    }
  }
}

TEST_F(FennickAdapterTest, UndecodableCertificateFailsTheWalk) {
  library.tokens = {{kSerial1, 0, 6, {"lilei", "garbage"}}};
  EXPECT_EQ(Names(kSerial1), "(failed)");
  EXPECT_EQ(NotAfter("Li Lei"), "2016-5-20") << "found before the bad one";
  EXPECT_EQ(NotAfter("Han"), "(failed)");
  EXPECT_EQ(library.openSessions, 0);
}

TEST_F(FennickAdapterTest, IncompleteFunctionListsAreRefused) {
  library.noAuxiliaryList = true;
  std::int32_t count = 3;
  EXPECT_EQ(Adapter().GetKeyCount(&count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "C_Initialize"), 0);
}

TEST_F(FennickAdapterTest, ALibraryClaimingTooManySlotsIsNotBelieved) {
  library.reportedSlotCount = 1'000'000;
  std::int32_t count = 3;
  EXPECT_EQ(Adapter().GetKeyCount(&count), 0);
  EXPECT_EQ(Adapter().DefaultPINFlg(kSerial1), -1);
}

TEST_F(FennickAdapterTest, TraceLinesOfTheExports) {
  Serials();
  EXPECT_EQ(trace.lines, (std::vector<std::string>{
                             "fun->WINAPI GetKeySN", "fun in GetKeySN", "before CheckPkcs11FuncList",
                             "after CheckPkcs11FuncList", "before C_GetSlotList",
                             "after C_GetSlotList", "before C_GetSlotList 2", "after C_GetSlotList 2",
                             "before C_GetTokenInfo", "after C_GetTokenInfo", "fun GetKeysSN over"}));
  trace.lines.clear();
  Names(kSerial1);
  EXPECT_EQ(trace.lines,
            (std::vector<std::string>{"fun in GetKeyCertSN", "C_OpenSession ok",
                                      "C_FindObjectsInit ok", "rv = 0x00000000", "C_FindObjects ok",
                                      "C_GetAttributeValue null ok", "C_GetAttributeValue ok",
                                      "rv = 0x00000000", "C_FindObjects ok"}));
  trace.lines.clear();
  library.failing = {"C_FindObjects"};
  NotBefore("Li Lei");
  EXPECT_EQ(trace.lines, (std::vector<std::string>{"fun in GetCertNotBefore", "C_OpenSession ok",
                                                   "C_FindObjectsInit ok", "rv = 0x00000005",
                                                   "C_FindObjects failed"}));
  trace.lines.clear();
  library.tokens.clear();
  library.failing.clear();
  std::int32_t count = 0;
  Adapter().GetKeyCount(&count);
  Names(kSerial1);
  EXPECT_EQ(trace.lines, (std::vector<std::string>{
                             "fun in GetKeyNumber", "fun in GetKeySN", "before CheckPkcs11FuncList",
                             "after CheckPkcs11FuncList", "before C_GetSlotList",
                             "after C_GetSlotList", "err: 0 == slotIdNum", "fun GetKeysSN over",
                             "fun in GetKeyCertSN", "C_GetSlotList 0 == slotNum"}));
}

}  // namespace
}  // namespace tessaly::fennick
