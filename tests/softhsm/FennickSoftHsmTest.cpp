// Fennick's PKCS#11 logic against SoftHSM2, a token implementation nobody here wrote, with
// tokens and certificates made by tests/fennick/make-softhsm-tokens.sh. SoftHSM has no
// auxiliary function list; a thin shim answers the PIN information from SoftHSM's token
// flags.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "adapters/fennick/FennickAdapter.h"
#include "platform/native/OpenSslCertificateDecoder.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeModuleLoader.h"
#include "tests/fakes/RecordingDebugOutput.h"

namespace tessaly::fennick {
namespace {

CK_FUNCTION_LIST* softHsm = nullptr;

// The shim's tries: SoftHSM tells only whether few or none are left.
CK_RV ShimGetPinInfo(CK_SLOT_ID slot, unsigned char* record) {
  CK_TOKEN_INFO info{};
  if (softHsm->C_GetTokenInfo(slot, &info) != CKR_OK) {
    return CKR_GENERAL_ERROR;
  }
  record[kPinTriesByte] = (info.flags & CKF_USER_PIN_LOCKED) != 0       ? 0
                          : (info.flags & CKF_USER_PIN_FINAL_TRY) != 0  ? 1
                          : (info.flags & CKF_USER_PIN_COUNT_LOW) != 0 ? 3
                                                                       : 10;
  return CKR_OK;
}

AuxFunctionList shimList{{1, 0}, nullptr, nullptr, &ShimGetPinInfo};
CK_RV ShimGetAuxFunctionList(AuxFunctionList** list) {
  *list = &shimList;
  return CKR_OK;
}

class FennickSoftHsmTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* module = std::getenv("TESSALY_SOFTHSM_MODULE");
    library_ = dlopen(module != nullptr ? module : "/usr/lib/softhsm/libsofthsm2.so", RTLD_NOW);
    ASSERT_NE(library_, nullptr) << dlerror();
    getFunctionList_ = reinterpret_cast<ModuleFunction>(dlsym(library_, "C_GetFunctionList"));
    ASSERT_NE(getFunctionList_, nullptr);
    ASSERT_EQ(reinterpret_cast<CK_C_GetFunctionList>(getFunctionList_)(&softHsm), CKR_OK);

    char folder[] = "/tmp/fennick-softhsm-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    const std::string command =
        "bash " TESSALY_SOURCE_DIR "/tests/fennick/make-softhsm-tokens.sh " + folder_;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  static void TearDownTestSuite() {
    if (!folder_.empty()) {
      std::system(("rm -rf " + folder_).c_str());
    }
  }

  void TearDown() override {
    // The layer finalises SoftHSM as it goes, so the next token set's configuration is read
    // again: a layer that did not would leave every later case with the first set's tokens.
    adapter_.reset();
    layer_.reset();
  }

  // Fennick over SoftHSM with the token set `name`; answers its serials by token label.
  std::map<std::string, std::string> Use(const std::string& name) {
    setenv("SOFTHSM2_CONF", (folder_ + "/" + name + "/softhsm2.conf").c_str(), 1);
    loader_.Put(std::u16string(kFeitianPkcs11Library),
                {{"C_GetFunctionList", getFunctionList_},
                 {"E_GetAuxFunctionList", reinterpret_cast<ModuleFunction>(&ShimGetAuxFunctionList)}});
    clock_.utcOffsetSeconds = 8 * 3600;
    layer_ = std::make_unique<Pkcs11Layer>(loader_, kFeitianPkcs11Library);
    adapter_ = std::make_unique<FennickAdapter>(*layer_, decoder_, clock_, trace_);
    std::map<std::string, std::string> serials;
    std::ifstream file(folder_ + "/" + name + "/serials");
    for (std::string label, serial; file >> label >> serial;) {
      serial.resize(16, ' ');  // the token information's field is blank-padded
      serials[label] = serial;
    }
    return serials;
  }

  FennickAdapter& Fennick() { return *adapter_; }

  std::string Serials() {
    std::array<char, 2048> out{};
    return Fennick().GetKeySN(out.data()) == 1 ? std::string(out.data()) : "(failed)";
  }
  std::string Names(const std::string& serial) {
    std::array<char, 2048> out{};
    return Fennick().GetCertCN(serial.c_str(), out.data()) == 1 ? std::string(out.data())
                                                                 : "(failed)";
  }
  std::string Date(const char* name, bool notAfter) {
    std::array<char, 12> out{};
    const std::int32_t result = notAfter ? Fennick().GetCertNotAfter(name, out.data())
                                         : Fennick().GetCertNotBefore(name, out.data());
    return result == 1 ? std::string(out.data(), strnlen(out.data(), out.size())) : "(failed)";
  }
  // A list joined by "|", sorted: SoftHSM's order of slots and objects is its own.
  static std::vector<std::string> Sorted(const std::string& joined) {
    std::vector<std::string> parts;
    std::stringstream stream(joined);
    for (std::string part; std::getline(stream, part, '|');) {
      parts.push_back(part);
    }
    std::sort(parts.begin(), parts.end());
    return parts;
  }
  std::int32_t KeyCount() {
    std::int32_t count = -1;
    return Fennick().GetKeyCount(&count) == 1 ? count : -1;
  }

  static inline void* library_ = nullptr;
  static inline ModuleFunction getFunctionList_ = nullptr;
  static inline std::string folder_;
  FakeModuleLoader loader_;
  OpenSslCertificateDecoder decoder_;
  FakeClock clock_;
  RecordingDebugOutput trace_;
  std::unique_ptr<Pkcs11Layer> layer_;
  std::unique_ptr<FennickAdapter> adapter_;
};

TEST_F(FennickSoftHsmTest, OnlyTheFreeSlot) {
  EXPECT_TRUE(Use("empty").empty());
  // SoftHSM always offers one uninitialised token: Fennick counts it as a key, on which no
  // session can be opened.
  EXPECT_EQ(KeyCount(), 1);
  const std::string serial = Serials();
  ASSERT_EQ(serial.size(), 16u);
  trace_.lines.clear();
  EXPECT_EQ(Names(serial), "(failed)");
  EXPECT_EQ(trace_.lines, (std::vector<std::string>{"fun in GetKeyCertSN", "C_OpenSession failed"}));
  EXPECT_EQ(Date("Li Lei", true), "(failed)");
  EXPECT_EQ(Fennick().DefaultPINFlg(serial.c_str()), 0);
}

TEST_F(FennickSoftHsmTest, OneTokenWithOneCertificate) {
  const std::string serial = Use("one").at("key1");
  EXPECT_EQ(KeyCount(), 2) << "the token and the free slot";
  EXPECT_EQ(Serials().substr(0, 16), serial);
  EXPECT_EQ(Names(serial), "Li Lei");
  EXPECT_EQ(Date("Li Lei", false), "2014-5-20") << "19 May 20:00 UTC, local time";
  EXPECT_EQ(Date("Li Lei", true), "2016-5-20");
  EXPECT_EQ(Date("Nobody", true), "");
  EXPECT_EQ(Fennick().GetPinRetryTimes(serial.c_str()), 10);
  EXPECT_EQ(Fennick().DefaultPINFlg(serial.c_str()), 0);
  EXPECT_EQ(Fennick().GetPinRetryTimes("0000000000000000"), -1);
  std::int32_t code = 5;
  EXPECT_EQ(Fennick().CheckKeyEnv(&code), 1);
  EXPECT_EQ(code, 0);
}

TEST_F(FennickSoftHsmTest, TwoTokensOneWithTwoCertificates) {
  const std::map<std::string, std::string> serials = Use("two");
  const std::string& key1 = serials.at("key1");
  const std::string& key2 = serials.at("key2");
  EXPECT_EQ(KeyCount(), 3);
  const std::string all = Serials();
  const std::vector<std::string> listed = Sorted(all);
  ASSERT_EQ(listed.size(), 3u) << "the two tokens and the free slot";
  EXPECT_EQ(std::count(listed.begin(), listed.end(), key1), 1);
  EXPECT_EQ(std::count(listed.begin(), listed.end(), key2), 1);
  EXPECT_EQ(Names(key1), "Li Lei");
  EXPECT_EQ(Sorted(Names(key2)), (std::vector<std::string>{"Han Meimei", "Wang Fang"}));
  // The dates come from the key in the first slot only.
  const bool key1First = all.starts_with(key1);
  EXPECT_EQ(Date("Li Lei", true), key1First ? "2016-5-20" : "");
  EXPECT_EQ(Date("Wang Fang", true), key1First ? "" : "2018-1-1");
  EXPECT_EQ(Fennick().GetPinRetryTimes(key1.c_str()), 3) << "after three wrong PINs";
  EXPECT_EQ(Fennick().GetPinRetryTimes(key2.c_str()), 10);
  std::int32_t code = 5;
  EXPECT_EQ(Fennick().CheckKeyEnv(&code), 1);
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace tessaly::fennick
