#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "diagnosis/HostRedirectionPattern.h"
#include "diagnosis/HostsText.h"
#include "tests/diagnosis/RandomHostsText.h"

namespace tessaly {
namespace {

using Match = HostRedirectionPattern::Match;

// The redirection pattern as the standard library's regex engine runs it: the reference
// the matcher must agree with. Escaping every metacharacter, not just ".", states "the
// name literally" for the awkward names; for real host names both are the same.
std::regex ReferenceRegex(const std::string& host) {
  std::string escaped;
  for (const char c : host) {
    if (c != '\0' && std::strchr("^$\\.*+?()[]{}|", c) != nullptr) {
      escaped += '\\';
    }
    escaped += c;
  }
  return std::regex("\n[\\s\\d\\.]+" + escaped + "\\s*(\n|#.+\n)",
                    std::regex::ECMAScript | std::regex::icase);
}

std::optional<Match> ReferenceFind(const std::regex& regex, const std::string& text) {
  std::smatch match;
  if (!std::regex_search(text, match, regex)) {
    return std::nullopt;
  }
  const auto begin = static_cast<std::size_t>(match.position(0));
  return Match{.begin = begin, .end = begin + static_cast<std::size_t>(match.length(0))};
}

std::string Visible(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\0') {
      shown += "\\0";
    } else {
      shown += c;
    }
  }
  return shown;
}

// Repeated regex_replace passes until the regex finds nothing more.
std::string ReferenceRemoveAll(const std::regex& regex, std::string text) {
  while (std::regex_search(text, regex)) {
    text = std::regex_replace(text, regex, "\n");
  }
  return text;
}

// Thousands of generated texts, each searched for a few hosts, raw and as the check
// normalises them: the first match, whether there is one, a replace pass and the repeated
// passes must come out exactly as the regex engine's.
TEST(HostRedirectionPatternTest, AgreesWithTheRegexEngineOnGeneratedTexts) {
  std::mt19937 random(20261209);
  const std::vector<std::string>& names = AwkwardHostNames();
  std::uniform_int_distribution<std::size_t> pickName(0, names.size() - 1);
  int matchedTexts = 0;
  for (int round = 0; round < 2500; ++round) {
    const std::vector<std::string> hosts = {names[pickName(random)], names[pickName(random)]};
    const std::string raw = RandomHostsText(random, hosts);
    for (const std::string& text : {raw, HostsTextFromFile(raw)}) {
      for (const std::string& host : hosts) {
        const std::regex regex = ReferenceRegex(host);
        const HostRedirectionPattern pattern(host);
        const std::optional<Match> expected = ReferenceFind(regex, text);
        ASSERT_EQ(pattern.Find(text), expected) << "host \"" << host << "\" in " << Visible(text);
        ASSERT_EQ(pattern.ReplaceEachMatch(text), std::regex_replace(text, regex, "\n"))
            << "host \"" << host << "\" in " << Visible(text);
        if (expected) {
          ASSERT_EQ(pattern.RemoveAllMatches(text), ReferenceRemoveAll(regex, text))
              << "host \"" << host << "\" in " << Visible(text);
          ++matchedTexts;
        }
      }
    }
  }
  // The generator must produce matches often enough for the comparison to mean something.
  EXPECT_GT(matchedTexts, 2000);
}

TEST(HostRedirectionPatternTest, MatchesLikeTheRegexEngineInTheTrickyPlaces) {
  struct Case {
    std::string host;
    std::string text;
    std::optional<Match> match;
  };
  const std::vector<Case> cases = {
      // The address run reaches back over blank and address-only lines.
      {"bank.cn", "x\n\n \n10\n1.2.3.4 BANK.cn\n", Match{1, 24}},
      // The whitespace after the name crosses line breaks and gives back to the last LF...
      {"bank.cn", "\n1 bank.cn \n \n x", Match{0, 14}},
      // ...or reaches a comment line, which goes with the match.
      {"bank.cn", "\n1 bank.cn\n\n#note\nrest", Match{0, 18}},
      // A bare "#" is no comment; a comment must end in LF, not CR or the text's end.
      {"bank.cn", "\n1 bank.cn #\n", std::nullopt},
      {"bank.cn", "\n1 bank.cn #a\rb\n", std::nullopt},
      {"bank.cn", "\n1 bank.cn #abc", std::nullopt},
      // Another alias, a further label, an embedding name and IPv6 all stay.
      {"bank.cn", "\n1 bank.cn alias\n1 bank.cn.evil\n1 mybank.cn\n::1 bank.cn\n", std::nullopt},
      // A name that starts with digits may start inside the run; the longest run wins.
      {"12", "\n1212 12\n", Match{0, 9}},
      {"12", "\n1212\n", Match{0, 6}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReferenceFind(ReferenceRegex(c.host), c.text), c.match) << Visible(c.text);
    EXPECT_EQ(HostRedirectionPattern(c.host).Find(c.text), c.match) << Visible(c.text);
  }
}

TEST(HostRedirectionPatternTest, OnePassLeavesEveryOtherAdjacentLineRemovingAllDoesNot) {
  const HostRedirectionPattern pattern("bank.cn");
  const std::string text = "\n1 bank.cn\n2 bank.cn\n3 bank.cn\n4 bank.cn\n5 bank.cn\nkeep\n";
  EXPECT_EQ(pattern.ReplaceEachMatch(text), "\n2 bank.cn\n4 bank.cn\nkeep\n");
  EXPECT_EQ(pattern.RemoveAllMatches(text), "\nkeep\n");
}

// Inputs that make a backtracking engine recurse once per character (and overflow a
// 1 MB stack) or take quadratic time. Each must finish with the right answer; the time
// bound is generous (a loaded machine, a sanitizer build) and only catches work that grows
// with the square of the input, which would take hours here.
TEST(HostRedirectionPatternTest, HugeRunsAndLinesTakeLinearTime) {
  constexpr std::size_t kRun = 1'000'000;
  constexpr std::size_t kLine = 10'000'000;
  struct Case {
    std::string host;
    std::string text;
    bool matches;
  };
  const std::vector<Case> cases = {
      {"bank.cn", "\n" + std::string(kRun, ' ') + "bank.cn\n", true},
      {"bank.cn", "\n1" + std::string(kRun, '7') + " bank.cn\n", true},
      {"bank.cn", "\n" + std::string(kRun, '7') + "x bank.cn\n", false},
      {"bank.cn", "\n1 bank.cn #" + std::string(kLine, 'c') + "\n", true},
      {"bank.cn", "\n1 bank.cn " + std::string(kLine, 'c') + "\n", false},
      {"bank.cn", "\n1 bank.cn" + std::string(kLine, ' ') + "\n", true},
      {"7", "\n" + std::string(kRun, '7') + "x\n", false},
      {"7", "\n" + std::string(kRun, '7') + "\n", true},
      {" ", "\n1" + std::string(kRun, ' ') + "x\n", false},
      {"a#", "\n1 " + std::string(kRun, 'a') + "#" + std::string(kRun, 'b') + "\n", false},
      {"", "\n" + std::string(kRun, ' ') + "\n", true},
  };
  for (const Case& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    const HostRedirectionPattern pattern(c.host);
    EXPECT_EQ(pattern.Find(c.text).has_value(), c.matches) << "host \"" << c.host << "\"";
    pattern.RemoveAllMatches(c.text);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30))
        << "host \"" << c.host << "\"";
  }
}

}  // namespace
}  // namespace tessaly
