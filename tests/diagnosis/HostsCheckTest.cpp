#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "diagnosis/HostsCheck.h"
#include "diagnosis/HostsText.h"
#include "tests/fakes/FakeWholeFiles.h"
#include "tests/fakes/FakeWideEnvironment.h"

namespace tessaly {
namespace {

const std::u16string kHostsPath = u"C:\\Windows\\system32\\drivers\\etc\\hosts";

class HostsCheckTest : public testing::Test {
 protected:
  HostsCheckTest() { environment.variables.variables["windir"] = "C:\\Windows"; }

  void ConfigureHosts(const std::vector<std::string>& hosts) {
    ConfigGroup group{.type = "host"};
    for (const std::string& host : hosts) {
      group.entries.push_back({.text = host});
    }
    config.groups = {ConfigGroup{.type = "dns"}, group};
  }

  bool Check(bool repair) {
    config.hostsOk = !config.hostsOk;  // the check must write the flag either way
    const bool ok = CheckHosts(config, environment, files, repair);
    EXPECT_EQ(config.hostsOk, ok);
    return ok;
  }

  const std::string& HostsFile() { return files.files.at(kHostsPath); }

  CheckConfig config;
  FakeWideEnvironment environment;
  FakeWholeFiles files;
};

TEST_F(HostsCheckTest, WithoutAHostGroupNothingIsReadOrWritten) {
  files.unreadable.insert(kHostsPath);
  EXPECT_TRUE(Check(false));
  EXPECT_TRUE(Check(true));
  EXPECT_EQ(files.replaceCalls, 0);
  EXPECT_FALSE(files.lastReadLimit.has_value());
}

TEST_F(HostsCheckTest, RedirectingLinesInAnyCaseAreFoundAndRemovedWithCrLfBreaks) {
  ConfigureHosts({"ebank.example.cn", "pay.example.cn"});
  files.files[kHostsPath] =
      "# hosts\r\n127.0.0.1 localhost\r\n6.6.6.6 EBank.Example.CN\r\n\t7.7.7.7\tpay.example.cn "
      "# moved\r\n1.1.1.1 other.cn";
  EXPECT_FALSE(Check(false));
  EXPECT_EQ(files.lastReadLimit, kMaxHostsFileBytes);

  EXPECT_TRUE(Check(true));
  EXPECT_EQ(HostsFile(), "\r\n# hosts\r\n127.0.0.1 localhost\r\n1.1.1.1 other.cn\r\n");
  EXPECT_TRUE(Check(false));
}

TEST_F(HostsCheckTest, LinesThatDoNotRedirectTheWholeNameStay) {
  ConfigureHosts({"ebank.example.cn"});
  const std::string kept =
      "\r\n1.2.3.4 ebank.example.cn.evil.net\r\n1.2.3.4 ebank.example.cn alias\r\n"
      "1.2.3.4 www.ebank.example.cn\r\n1.2.3.4 ebank.example.cn #\r\n"
      "::1 ebank.example.cn\r\n# 1.2.3.4 ebank.example.cn\r\n";
  files.files[kHostsPath] = kept;
  EXPECT_TRUE(Check(false));

  // A repair that removes nothing still writes the file back, one line break longer.
  EXPECT_TRUE(Check(true));
  EXPECT_EQ(HostsFile(), kept + "\r\n");
  EXPECT_EQ(files.replaceCalls, 1);
}

TEST_F(HostsCheckTest, TheLastLineMatchesWithoutAFinalLineBreak) {
  ConfigureHosts({"ebank.example.cn"});
  files.files[kHostsPath] = "127.0.0.1 localhost\r\n6.6.6.6 ebank.example.cn";
  EXPECT_FALSE(Check(false));
  EXPECT_TRUE(Check(true));
  EXPECT_EQ(HostsFile(), "\r\n127.0.0.1 localhost\r\n");
}

TEST_F(HostsCheckTest, RepairLeavesNoRedirectionForTheCheckAfterIt) {
  // Adjacent lines of one host: a single replace pass would leave every second one.
  ConfigureHosts({"ebank.example.cn"});
  files.files[kHostsPath] = std::string("\r\n") + "1.1.1.1 ebank.example.cn\r\n" +
                            "2.2.2.2 ebank.example.cn\r\n" + "3.3.3.3 ebank.example.cn\r\n";
  EXPECT_TRUE(Check(true));
  EXPECT_EQ(HostsFile(), "\r\n");
  EXPECT_TRUE(Check(false));

  // Removing the second host's lines joins the address-only line "7" to the line of the
  // first host, which then redirects it; the first host is gone over again.
  ConfigureHosts({"a.cn", "b.cn"});
  files.files[kHostsPath] = "1 b.cn\r\n7\r\n3 b.cn\r\na.cn\r\nkeep\r\n";
  EXPECT_TRUE(Check(true));
  EXPECT_EQ(HostsFile(), "\r\nkeep\r\n\r\n");
  EXPECT_TRUE(Check(false));
}

TEST_F(HostsCheckTest, HostNamesAreTakenLiterallyNotAsRegularExpressions) {
  ConfigureHosts({"bank(1)+.cn", "a[b"});
  files.files[kHostsPath] = "1.1.1.1 bank11.cn\r\n1.1.1.1 bank1.cn\r\n1.1.1.1 bankXcn\r\n";
  EXPECT_TRUE(Check(false));
  files.files[kHostsPath] += "1.1.1.1 BANK(1)+.CN\r\n";
  EXPECT_FALSE(Check(false));
  files.files[kHostsPath] = "1.1.1.1 a[b\r\n";
  EXPECT_FALSE(Check(false));
}

TEST_F(HostsCheckTest, EmptyHostNamesAreNoHostsAndDoNotTakeBlankLinesForRedirections) {
  ConfigureHosts({"", "ebank.example.cn"});
  files.files[kHostsPath] = "127.0.0.1 localhost\r\n\r\n\r\n127.0.0.1\r\n\r\n";
  EXPECT_TRUE(Check(false));
  files.files[kHostsPath] += "6.6.6.6 ebank.example.cn\r\n";
  EXPECT_FALSE(Check(false));
}

TEST_F(HostsCheckTest, PathologicalFilesAreCheckedAndRepairedAtOnce) {
  ConfigureHosts({"ebank.example.cn", "7"});
  const std::string longLine = "1.1.1.1 other.cn #" + std::string(10'000'000, 'c') + "\r\n";
  files.files[kHostsPath] = longLine + std::string(1'000'000, '7') + "x\r\n" +
                            std::string(1'000'000, ' ') + "ebank.example.cn\r\n";
  EXPECT_FALSE(Check(false));
  EXPECT_TRUE(Check(true));
  EXPECT_EQ(HostsFile(), "\r\n" + longLine + std::string(1'000'000, '7') + "x\r\n");
}

TEST_F(HostsCheckTest, AMissingFileHoldsNoRedirectionAndARepairCreatesIt) {
  ConfigureHosts({"ebank.example.cn"});
  EXPECT_TRUE(Check(false));
  EXPECT_TRUE(Check(true));
  EXPECT_EQ(HostsFile(), "");
}

TEST_F(HostsCheckTest, AnUnreadableOrOversizedFileFailsAndIsNeverReplaced) {
  ConfigureHosts({"ebank.example.cn"});
  const std::string original = "6.6.6.6 ebank.example.cn\r\n";
  files.files[kHostsPath] = original;
  files.unreadable.insert(kHostsPath);
  EXPECT_FALSE(Check(false));
  EXPECT_FALSE(Check(true));

  files.unreadable.clear();
  files.files[kHostsPath] = std::string(kMaxHostsFileBytes + 1, ' ');
  EXPECT_FALSE(Check(false));
  EXPECT_FALSE(Check(true));
  EXPECT_EQ(HostsFile().size(), kMaxHostsFileBytes + 1);

  // Without the file's path nothing can be read or written either.
  files.files[kHostsPath] = original;
  environment.variables.fail = true;
  EXPECT_FALSE(Check(false));
  EXPECT_FALSE(Check(true));
  EXPECT_EQ(files.replaceCalls, 0);
  EXPECT_EQ(HostsFile(), original);
}

TEST_F(HostsCheckTest, AWriteFailingHalfWayOrAFailingReplaceLeavesTheOriginal) {
  ConfigureHosts({"ebank.example.cn"});
  const std::string original = "6.6.6.6 ebank.example.cn\r\n# end\r\n";
  const std::map<std::u16string, std::string> before = {{kHostsPath, original}};
  files.files = before;

  files.writeBreaksAfterBytes = 3;
  EXPECT_FALSE(Check(true));
  EXPECT_EQ(files.files, before) << "nothing changed, nothing left beside the file";

  files.writeBreaksAfterBytes.reset();
  files.finalReplaceFails = true;
  EXPECT_FALSE(Check(true));
  EXPECT_EQ(files.files, before);
  EXPECT_EQ(files.replaceCalls, 2);
}

TEST(HostsTextTest, LineBreaksAreNormalisedForSearchingAndRestoredForWriting) {
  EXPECT_EQ(HostsTextFromFile(""), "\n");
  EXPECT_EQ(HostsTextFromFile("a"), "\na\n");
  EXPECT_EQ(HostsTextFromFile("\r\na\r\n"), "\na\n\n");
  EXPECT_EQ(HostsTextFromFile("\na\n"), "\na\n\n");
  EXPECT_EQ(HostsTextFromFile("\r\r\na\rb"), "\n\r\na\rb\n");
  EXPECT_EQ(HostsFileFromText("\na\rb\n"), "\r\na\rb\r\n");
}

}  // namespace
}  // namespace tessaly
