#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "diagnosis/AsciiCaselessFinder.h"

namespace tessaly {

// A hosts-file line that redirects one host, as the ECMAScript regular expression
//
//   "\n[\s\d\.]+" + host name + "\s*(\n|#.+\n)"      (ignoring case, "C" locale)
//
// finds it, with the host name taken literally: a LF, a run of whitespace, digits and dots
// (the address; the run may reach back over blank lines and address-only lines, which go
// with it), the name in any letter case, optional whitespace, then the line's end or a "#"
// comment of at least one character ("." stops at LF and CR, as the regex's does).
//
// The answers are exactly the regex's: the leftmost match, and for it the one that the
// regex's backtracking reaches first (the longest address run that lets the rest match,
// then the longest whitespace). A regex engine that recurses per matched character can
// exhaust a thread's stack on one long run and is slow on large files; this matcher looks
// for occurrences of the name first and checks the text around each one in loops, in time
// linear in the text for any real host name.
class HostRedirectionPattern {
 public:
  struct Match {
    std::size_t begin = 0;  // the LF before the address
    std::size_t end = 0;    // just past the LF that ends the line or its comment
    bool operator==(const Match&) const = default;
  };

  explicit HostRedirectionPattern(std::string_view hostName);

  // The leftmost match that begins at or after `from`.
  std::optional<Match> Find(std::string_view text, std::size_t from = 0) const;

  // One pass of replacing every match by a single LF, left to right, each search going on
  // where the previous match ended (what regex_replace does).
  std::string ReplaceEachMatch(std::string_view text) const;

  // Passes of ReplaceEachMatch until the pattern no longer occurs. One pass leaves every
  // second of several adjacent redirecting lines behind, since each match takes the LF that
  // the next line's match would begin with; every pass shortens the text, so this ends.
  std::string RemoveAllMatches(std::string text) const;

 private:
  // The match whose address lies in the run of address characters [runBegin, runEnd).
  std::optional<Match> FindInRun(std::string_view text, std::size_t runBegin,
                                 std::size_t runEnd) const;

  AsciiCaselessFinder name_;
};

}  // namespace tessaly
