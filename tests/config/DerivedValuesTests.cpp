#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "config/DerivedValues.h"
#include "tests/config/FakeConfigPlatform.h"

namespace tessaly {
namespace {

constexpr std::string_view kBase = "http://download.quaymark.example/wydown/ocx/";

TEST(ResolveAgainstBase, PrefixesRelativeValuesWithoutAddingASeparator) {
  EXPECT_EQ(ResolveAgainstBase("setup.exe", kBase),
            "http://download.quaymark.example/wydown/ocx/setup.exe");
  EXPECT_EQ(ResolveAgainstBase("sub/setup.exe", "http://h.example/ocx"),
            "http://h.example/ocxsub/setup.exe");
  EXPECT_EQ(ResolveAgainstBase("", kBase), kBase);
}

TEST(ResolveAgainstBase, LeavesValuesContainingASchemeSeparatorUnchanged) {
  EXPECT_EQ(ResolveAgainstBase("https://other.example/x.exe", kBase),
            "https://other.example/x.exe");
  EXPECT_EQ(ResolveAgainstBase("get?from=ftp://other.example/x", kBase),
            "get?from=ftp://other.example/x");
}

TEST(ResolveAgainstBase, AnswersEmptyForUrlsLongerThanTheHttpLayerTakes) {
  const std::string base = "http://h.example/" + std::string(2000, 'a') + "/";
  const std::string fits(kMaxUrlBytes - base.size(), 'x');
  EXPECT_EQ(ResolveAgainstBase(fits, base).size(), kMaxUrlBytes);
  EXPECT_EQ(ResolveAgainstBase(fits + "x", base), "");
  EXPECT_EQ(ResolveAgainstBase("http://h.example/" + std::string(kMaxUrlBytes, 'x'), kBase), "");
}

class DownloadPathForTest : public testing::Test {
 protected:
  std::string PathFor(std::string_view url) {
    return DownloadPathFor(fakes.codePages, fakes.fileSystem, url);
  }

  FakeConfigPlatform fakes;
};

TEST_F(DownloadPathForTest, PutsTheLastPathSegmentIntoTheDownloadFolder) {
  EXPECT_EQ(PathFor("http://h.example/ocx/setup.exe"),
            "C:\\Users\\tester\\AppData\\Local\\Temp\\DownTmp\\setup.exe");
  EXPECT_EQ(PathFor("http://other.example/elsewhere/setup.exe"),
            PathFor("http://h.example/setup.exe"));
  EXPECT_EQ(PathFor("setup.exe"), fakes.DownloadFolder() + "setup.exe");
  EXPECT_EQ(PathFor("http://h.example/dir\\setup.exe"), fakes.DownloadFolder() + "setup.exe");
  EXPECT_EQ(PathFor("http://h.example/..\\..\\Windows\\evil.exe"),
            fakes.DownloadFolder() + "evil.exe");
  EXPECT_EQ(PathFor("http://h.example/ocx/"), fakes.DownloadFolder());
  EXPECT_EQ(fakes.fileSystem.directories,
            std::set<std::string>{"C:\\Users\\tester\\AppData\\Local\\Temp\\DownTmp"});
}

TEST_F(DownloadPathForTest, AnEmptyUrlHasNoPath) {
  EXPECT_EQ(PathFor(""), "");
  EXPECT_TRUE(fakes.fileSystem.directories.empty());
}

// Names that Windows would resolve outside the folder: drive-relative paths and streams,
// names stripped to "." or "..", device names, and a NUL that would end the path early.
TEST_F(DownloadPathForTest, RejectsNamesThatWouldLeaveTheFolder) {
  const std::vector<std::string> names{"..",           ".",           "...",
                                       ". .",          ".. ",         "C:x.exe",
                                       "x.exe:stream", "NUL",         "con.txt",
                                       "Aux .log",     "COM1",        "lpt9.exe",
                                       "CONOUT$",      "COM\xC2\xB9", std::string("..\0x.exe", 8)};
  for (const std::string& name : names) {
    EXPECT_EQ(PathFor("http://h.example/" + name), "") << name;
  }
  EXPECT_TRUE(fakes.fileSystem.directories.empty());
}

TEST_F(DownloadPathForTest, KeepsNamesThatOnlyResembleForbiddenOnes) {
  for (const std::string name :
       {"..x", ".hidden", "x.", "console.exe", "COM10", "nul1.txt", "LPTX"}) {
    EXPECT_EQ(PathFor("http://h.example/" + name), fakes.DownloadFolder() + name) << name;
  }
}

// U+FF0E FULLWIDTH FULL STOP and U+FF0F FULLWIDTH SOLIDUS become "." and "/" when the ANSI
// code page best-fits them; a UTF-8 ANSI code page keeps them as harmless characters.
TEST_F(DownloadPathForTest, JudgesTheNameAsTheAnsiCodePageDeliversIt) {
  const std::string fullwidthDots = "\xEF\xBC\x8E\xEF\xBC\x8E";
  const std::string fullwidthSlash =
      "a\xEF\xBC\x8F"
      "b.exe";
  EXPECT_EQ(PathFor("http://h.example/" + fullwidthDots), "");
  EXPECT_EQ(PathFor("http://h.example/" + fullwidthSlash), "");

  fakes.codePages.ansi = FakeCodePages::Ansi::Utf8;
  EXPECT_EQ(PathFor("http://h.example/" + fullwidthDots), fakes.DownloadFolder() + fullwidthDots);
  EXPECT_EQ(PathFor("http://h.example/" + fullwidthSlash), fakes.DownloadFolder() + fullwidthSlash);
}

TEST_F(DownloadPathForTest, ConvertsTheNameToAnsiAndThePathBackToUtf8) {
  fakes.fileSystem.temporaryDirectory = "C:\\Users\\J\xF6rg\\Temp\\";
  EXPECT_EQ(PathFor("http://h.example/Caf\xC3\xA9.exe"),
            "C:\\Users\\J\xC3\xB6rg\\Temp\\DownTmp\\Caf\xC3\xA9.exe");
  EXPECT_EQ(fakes.fileSystem.directories,
            std::set<std::string>{"C:\\Users\\J\xF6rg\\Temp\\DownTmp"});
}

// The ANSI path must fit 259 bytes; a longer one is refused whole, never cut. The limit is
// measured in ANSI bytes: "é" is one byte there although two in UTF-8.
TEST_F(DownloadPathForTest, RefusesPathsThatDoNotFitTheAnsiPathBuffer) {
  const std::size_t room = kMaxPathBytes - 1 - fakes.DownloadFolder().size();
  EXPECT_EQ(PathFor("http://h.example/" + std::string(room, 'x')).size(), kMaxPathBytes - 1);
  EXPECT_EQ(PathFor("http://h.example/" + std::string(room + 1, 'x')), "");

  std::string accented;
  for (std::size_t i = 0; i < room; ++i) {
    accented += "\xC3\xA9";
  }
  EXPECT_EQ(PathFor("http://h.example/" + accented), fakes.DownloadFolder() + accented);
}

TEST_F(DownloadPathForTest, AnswersEmptyWithoutATemporaryFolderOrWhenAConversionFails) {
  fakes.fileSystem.temporaryDirectory = "";
  EXPECT_EQ(PathFor("http://h.example/setup.exe"), "");

  FakeConfigPlatform ansiFails;
  ansiFails.codePages.failingCodePages = {kCodePageAnsi};
  EXPECT_EQ(DownloadPathFor(ansiFails.codePages, ansiFails.fileSystem, "http://h.example/a.exe"),
            "");
  EXPECT_EQ(DownloadPathFor(ansiFails.codePages, ansiFails.fileSystem, "http://h.example/"), "");

  FakeConfigPlatform utf8Fails;
  utf8Fails.codePages.failingCodePages = {kCodePageUtf8};
  EXPECT_EQ(DownloadPathFor(utf8Fails.codePages, utf8Fails.fileSystem, "http://h.example/a.exe"),
            "");
}

TEST_F(DownloadPathForTest, IgnoresAFailureToCreateTheFolder) {
  fakes.fileSystem.failCreateDirectory = true;
  EXPECT_EQ(PathFor("http://h.example/setup.exe"), fakes.DownloadFolder() + "setup.exe");
}

class ExpandEnvironmentUtf8Test : public testing::Test {
 protected:
  ExpandEnvironmentUtf8Test() {
    fakes.environment.variables = {{"SystemRoot", "C:\\WINDOWS"},
                                   {"USERPROFILE", "C:\\Users\\J\xF6rg"}};
  }

  std::string Expand(std::string_view text) {
    return ExpandEnvironmentUtf8(fakes.codePages, fakes.environment, text);
  }

  FakeConfigPlatform fakes;
};

TEST_F(ExpandEnvironmentUtf8Test, ExpandsKnownReferencesInTheAnsiCodePage) {
  EXPECT_EQ(Expand("%SystemRoot%\\system32\\x.dll"), "C:\\WINDOWS\\system32\\x.dll");
  EXPECT_EQ(Expand("%USERPROFILE%\\Caf\xC3\xA9.dll"), "C:\\Users\\J\xC3\xB6rg\\Caf\xC3\xA9.dll");
  EXPECT_EQ(Expand("%NoSuchName%\\x.dll"), "%NoSuchName%\\x.dll");
  EXPECT_EQ(Expand(""), "");
}

TEST_F(ExpandEnvironmentUtf8Test, RefusesResultsThatDoNotFitTheAnsiPathBuffer) {
  const std::string prefix = "%SystemRoot%\\";
  const std::size_t room = kMaxPathBytes - 1 - std::string("C:\\WINDOWS\\").size();
  EXPECT_EQ(Expand(prefix + std::string(room, 'x')).size(), kMaxPathBytes - 1);
  EXPECT_EQ(Expand(prefix + std::string(room + 1, 'x')), "");
}

TEST_F(ExpandEnvironmentUtf8Test, AnswersEmptyWhenExpansionOrConversionFails) {
  fakes.environment.fail = true;
  EXPECT_EQ(Expand("%SystemRoot%\\x.dll"), "");

  fakes.environment.fail = false;
  fakes.codePages.failingCodePages = {kCodePageAnsi};
  EXPECT_EQ(Expand("%SystemRoot%\\x.dll"), "");
}

}  // namespace
}  // namespace tessaly
