#include "certificates/EnrolmentRepair.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/RegistryValues.h"
#include "resources/StringTable.h"
#include "tests/fakes/FakeCodeSignatures.h"
#include "tests/fakes/FakeFileStore.h"
#include "tests/fakes/FakeFileView.h"
#include "tests/fakes/FakeInternet.h"
#include "tests/fakes/FakeProcessLauncher.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScriptedPrompts.h"
#include "tests/fakes/FakeSystemFacts.h"
#include "tests/fakes/FakeWideEnvironment.h"

namespace tessaly {
namespace {

constexpr char16_t kLibrary[] = u"C:\\Windows\\System32\\CertEnroll.dll";
constexpr char16_t kServer[] = u"C:\\Windows\\System32\\CertEnrollCtrl.exe";
constexpr char16_t kXenroll[] = u"C:\\Windows/System32/xenroll.dll";
constexpr char16_t kCertEnrollKey[] =
    u"CLSID\\{884e2049-217d-11da-b2a4-000e7bbb2b09}\\LocalServer32";
constexpr char16_t kXenrollKey[] = u"CLSID\\{127698e4-e730-4e5c-a2b1-21490a70c8a1}\\LocalServer32";
constexpr char16_t kXenrollInprocKey[] =
    u"CLSID\\{127698e4-e730-4e5c-a2b1-21490a70c8a1}\\InprocServer32";
constexpr char16_t kCertEnrollCommand[] =
    u"regedit /s \"C:\\Program Files\\Quaymark\\certenroll.reg\"";
constexpr char16_t kXenrollCommand[] = u"regedit /s \"C:\\Program Files\\Quaymark\\xenroll.reg\"";
constexpr char16_t kLibraryUrl[] = u"http://dl.test/wydown/ocx/CertEnroll.dll";
constexpr char16_t kServerUrl[] = u"http://dl.test/wydown/ocx/CertEnrollCtrl.exe";
constexpr char16_t kXenrollUrl[] = u"http://dl.test/wydown/ocx/xenroll.dll";

enum class Registration {
  None,
  KeyWithoutValue,
  NamesMissingFile,
  NamesServer,           // REG_SZ with the full path of CertEnrollCtrl.exe
  NamesServerExpanding,  // REG_EXPAND_SZ "%SystemRoot%\System32\CertEnrollCtrl.exe"
  NamesXenroll,
  XenrollInprocOnly,     // the control registered as an in-process library only
  TooLong,               // 261 characters: no text at all
};

struct RepairCase {
  const char* name;
  std::optional<unsigned> major;  // nothing: the version query fails
  std::set<std::u16string> present;
  Registration registration;
  std::optional<YesNoAnswer> answer;
  std::set<std::u16string> served;  // URLs the server answers with a file
  // What must happen:
  bool asks;
  std::vector<std::u16string> requested;
  std::set<std::u16string> written;
  bool failureMessage;
  std::vector<std::u16string> commands;
  // Downloads that carry no signature.
  std::set<std::u16string> unsignedFiles{};
};

const RepairCase kCases[] = {
    {"VistaWithEverythingPresentDoesNothing", 6, {kLibrary, kServer}, Registration::NamesServer,
     std::nullopt, {}, false, {}, {}, false, {}},
    {"AnExpandingRegistrationCounts", 10, {kLibrary, kServer}, Registration::NamesServerExpanding,
     std::nullopt, {}, false, {}, {}, false, {}},
    {"OnlyTheRegistrationMissingAsksAndRunsTheEditorOnly", 6, {kLibrary, kServer},
     Registration::None, YesNoAnswer::Yes, {}, true, {}, {}, false, {kCertEnrollCommand}},
    {"ARegistrationKeyWithoutValueIsMissing", 6, {kLibrary, kServer},
     Registration::KeyWithoutValue, YesNoAnswer::Yes, {}, true, {}, {}, false,
     {kCertEnrollCommand}},
    {"ARegistrationNamingAMissingFileIsMissing", 6, {kLibrary, kServer},
     Registration::NamesMissingFile, YesNoAnswer::Yes, {}, true, {}, {}, false,
     {kCertEnrollCommand}},
    {"AnOverlongRegistrationIsMissing", 6, {kLibrary, kServer}, Registration::TooLong,
     YesNoAnswer::Yes, {}, true, {}, {}, false, {kCertEnrollCommand}},
    {"NoChangesNothing", 6, {}, Registration::None, YesNoAnswer::No, {kLibraryUrl, kServerUrl},
     true, {}, {}, false, {}},
    // A registration that names the missing server counts as missing too, so the editor
    // runs after the download.
    {"AQuestionThatCannotBeShownLetsTheRepairGoOn", 6, {kLibrary}, Registration::NamesServer,
     std::nullopt, {kServerUrl}, true, {kServerUrl}, {kServer}, false, {kCertEnrollCommand}},
    {"OnlyTheMissingServerIsDownloadedIntoItsOwnPath", 6, {kLibrary}, Registration::NamesServer,
     YesNoAnswer::Yes, {kLibraryUrl, kServerUrl}, true, {kServerUrl}, {kServer}, false,
     {kCertEnrollCommand}},
    {"EverythingMissingIsDownloadedThenRegistered", 6, {}, Registration::None, YesNoAnswer::Yes,
     {kLibraryUrl, kServerUrl}, true, {kLibraryUrl, kServerUrl}, {kLibrary, kServer}, false,
     {kCertEnrollCommand}},
    {"AFailedFirstDownloadShowsTheMessageAndStops", 6, {}, Registration::None,
     YesNoAnswer::Yes, {kServerUrl}, true, {kLibraryUrl}, {}, true, {}},
    {"AFailedSecondDownloadKeepsTheFirstFile", 6, {}, Registration::None, YesNoAnswer::Yes,
     {kLibraryUrl}, true, {kLibraryUrl, kServerUrl}, {kLibrary}, true, {}},
    {"BeforeVistaAMissingLibraryIsDownloadedWithoutAQuestion", 5, {}, Registration::NamesXenroll,
     std::nullopt, {kXenrollUrl}, false, {kXenrollUrl}, {kXenroll}, false, {kXenrollCommand}},
    {"BeforeVistaAFailedDownloadShowsTheMessage", 5, {}, Registration::None, std::nullopt, {},
     false, {kXenrollUrl}, {}, true, {}},
    {"BeforeVistaAnInProcessRegistrationRunsTheEditor", 5, {kXenroll},
     Registration::XenrollInprocOnly, std::nullopt, {}, false, {}, {}, false, {kXenrollCommand}},
    {"BeforeVistaWithEverythingPresentDoesNothing", 5, {kXenroll}, Registration::NamesXenroll,
     std::nullopt, {}, false, {}, {}, false, {}},
    {"AnUnsignedControlIsDeletedAndNothingIsRegistered", 6, {}, Registration::None,
     YesNoAnswer::Yes, {kLibraryUrl, kServerUrl}, true, {kLibraryUrl}, {}, true, {}, {kLibrary}},
    {"AnUnsignedSecondControlKeepsTheSignedFirst", 6, {}, Registration::None, YesNoAnswer::Yes,
     {kLibraryUrl, kServerUrl}, true, {kLibraryUrl, kServerUrl}, {kLibrary}, true, {}, {kServer}},
    {"BeforeVistaAnUnsignedXenrollIsDeleted", 5, {}, Registration::None, std::nullopt,
     {kXenrollUrl}, false, {kXenrollUrl}, {}, true, {}, {kXenroll}},
    {"AnUnreadableVersionDoesNothing", std::nullopt, {}, Registration::None, YesNoAnswer::Yes,
     {kLibraryUrl, kServerUrl, kXenrollUrl}, false, {}, {}, false, {}},
};

class EnrolmentRepairTest : public testing::TestWithParam<RepairCase> {
 protected:
  void Arrange(const RepairCase& c) {
    if (c.major) {
      system_.versionFacts.versionQueryOk = true;
      system_.versionFacts.major = *c.major;
    }
    environment_.variables.variables["SystemRoot"] = "C:\\Windows";
    for (const std::u16string& path : c.unsignedFiles) {
      code_.signatures.byPath[path] = {SignatureStatus::NoSignature, {}};
    }
    for (const std::u16string& path : c.present) {
      view_.entries[path] = {};
    }
    const bool xenroll = c.major && *c.major < 6;
    const std::u16string key = xenroll ? kXenrollKey : kCertEnrollKey;
    switch (c.registration) {
      case Registration::None: break;
      case Registration::KeyWithoutValue:
        registry_.SetValue(RegistryRoot::ClassesRoot, key, u"Other", StringValue(kServer));
        break;
      case Registration::NamesMissingFile:
        registry_.SetValue(RegistryRoot::ClassesRoot, key, u"", StringValue(u"C:\\gone.exe"));
        break;
      case Registration::NamesServer:
        registry_.SetValue(RegistryRoot::ClassesRoot, key, u"", StringValue(kServer));
        break;
      case Registration::NamesServerExpanding: {
        RegistryValue value = StringValue(u"%SystemRoot%\\System32\\CertEnrollCtrl.exe");
        value.type = RegistryType::ExpandString;
        registry_.SetValue(RegistryRoot::ClassesRoot, key, u"", value);
        break;
      }
      case Registration::NamesXenroll:
        registry_.SetValue(RegistryRoot::ClassesRoot, key, u"", StringValue(kXenroll));
        break;
      case Registration::XenrollInprocOnly:
        registry_.SetValue(RegistryRoot::ClassesRoot, kXenrollInprocKey, u"",
                           StringValue(kXenroll));
        break;
      case Registration::TooLong:
        view_.entries[std::u16string(261, u'x')] = {};
        registry_.SetValue(RegistryRoot::ClassesRoot, key, u"",
                           StringValue(std::u16string(261, u'x')));
        break;
    }
    if (c.answer) {
      prompts_.QueueAnswer(*c.answer);
    }
    for (const std::u16string& url : c.served) {
      internet_.responses[url] = FakeResponse::Ok("control bytes");
    }
  }

  EnrolmentRepairServices Services() {
    return {system_,  environment_, view_,    registry_,
            internet_, store_,      launcher_, prompts_,
            code_.gate, u"C:\\Program Files\\Quaymark\\Tessaly.exe", "http://dl.test"};
  }

  FakeSystemFacts system_;
  FakeWideEnvironment environment_;
  FakeFileView view_;
  FakeRegistry registry_;
  FakeInternet internet_;
  FakeFileStore store_;
  FakeProcessLauncher launcher_;
  FakeScriptedPrompts prompts_;
  PermissiveCodeGate code_{store_};
};

TEST_P(EnrolmentRepairTest, DoesWhatThePcNeeds) {
  const RepairCase& c = GetParam();
  Arrange(c);
  CheckAndFixCertEnroll(Services());

  std::vector<PromptCall> prompts;
  if (c.asks) {
    prompts.push_back(PromptCall::YesNo(kStringCertEnrollMissingQuestion, 0, kStringYes, kStringNo));
  }
  if (c.failureMessage) {
    prompts.push_back(PromptCall::Warning(u"错误", u"无法下载证书控件！"));
  }
  EXPECT_EQ(prompts_.Calls(), prompts);

  std::vector<std::u16string> requested;
  for (const FakeInternet::OpenedRequest& request : internet_.log().opened) {
    requested.push_back(request.url);
  }
  EXPECT_EQ(requested, c.requested);
  // One session per download, each closed before the repair returns.
  EXPECT_EQ(internet_.log().sessionsOpened, static_cast<int>(c.requested.size()));
  EXPECT_EQ(internet_.log().liveSessions, 0);

  std::set<std::u16string> written;
  for (const auto& [path, bytes] : store_.state().files) {
    EXPECT_EQ(bytes, "control bytes");
    written.insert(path);
  }
  EXPECT_EQ(written, c.written);

  std::vector<FakeProcessLauncher::Launch> launches;
  for (const std::u16string& command : c.commands) {
    launches.push_back({command, true});
  }
  EXPECT_EQ(launcher_.Launches(), launches);
}

INSTANTIATE_TEST_SUITE_P(Branches, EnrolmentRepairTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<RepairCase>& param) {
                           return std::string(param.param.name);
                         });

TEST(RegistryImportCommandTest, QuotesTheScriptBesideTheProgram) {
  EXPECT_EQ(RegistryImportCommand(u"C:\\Program Files\\Q\\Tessaly.exe", u"xenroll.reg"),
            u"regedit /s \"C:\\Program Files\\Q\\xenroll.reg\"");
  EXPECT_EQ(RegistryImportCommand(u"D:/tools/Tessaly.exe", u"certenroll.reg"),
            u"regedit /s \"D:/tools/certenroll.reg\"");
  // A program path without a folder gives no command: the script would be looked for in
  // whatever the current folder is.
  EXPECT_EQ(RegistryImportCommand(u"Tessaly.exe", u"certenroll.reg"), u"");
}

}  // namespace
}  // namespace tessaly
