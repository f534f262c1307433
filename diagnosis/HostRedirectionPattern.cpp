#include "diagnosis/HostRedirectionPattern.h"

#include <utility>

namespace tessaly {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// "\s" in the "C" locale.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// "[\s\d\.]"
bool IsAddressChar(char c) { return IsSpace(c) || (c >= '0' && c <= '9') || c == '.'; }

// Where "\s*(\n|#.+\n)" ends when it starts at a given position, or nothing when it does
// not match there. The greedy "\s*" first takes the whole whitespace run, where only a
// comment can follow; giving back characters it then stops at the run's last LF.
//
// The positions tried for one address run come in falling order, and several may share a
// whitespace run or comment (a name ending in a blank, a name containing "#"), so the
// scanner keeps the last run and comment it walked and extends them instead of walking
// them again: the work stays linear in the text.
class LineEndScanner {
 public:
  explicit LineEndScanner(std::string_view text) : text_(text) {}

  std::optional<std::size_t> EndFrom(std::size_t at) {
    const Spaces spaces = SpacesFrom(at);
    if (spaces.end < text_.size() && text_[spaces.end] == '#') {
      const std::size_t stop = CommentStop(spaces.end);
      if (stop < text_.size() && text_[stop] == '\n' && stop > spaces.end + 1) {
        return stop + 1;
      }
    }
    if (spaces.lastLf != kNone) {
      return spaces.lastLf + 1;
    }
    return std::nullopt;
  }

 private:
  struct Spaces {
    std::size_t begin = 0;
    std::size_t end = 0;         // the first position that is not whitespace
    std::size_t lastLf = kNone;  // the last LF in [begin, end)
  };

  Spaces SpacesFrom(std::size_t at) {
    const bool walked = known_.begin != kNone;
    if (walked && at >= known_.begin && at <= known_.end) {
      const bool lfAfter = known_.lastLf != kNone && known_.lastLf >= at;
      return {.begin = at, .end = known_.end, .lastLf = lfAfter ? known_.lastLf : kNone};
    }
    const bool before = walked && at < known_.begin;
    const std::size_t limit = before ? known_.begin : text_.size();
    Spaces spaces{.begin = at, .end = at};
    while (spaces.end < limit && IsSpace(text_[spaces.end])) {
      if (text_[spaces.end] == '\n') {
        spaces.lastLf = spaces.end;
      }
      ++spaces.end;
    }
    if (before && spaces.end == known_.begin) {
      spaces.end = known_.end;
      if (known_.lastLf != kNone) {
        spaces.lastLf = known_.lastLf;
      }
    }
    known_ = spaces;
    return spaces;
  }

  // The first LF or CR after the "#" at `hash` (".+" stops at either), or the text's end.
  std::size_t CommentStop(std::size_t hash) {
    if (commentHash_ != kNone && hash >= commentHash_ && hash < commentStop_) {
      return commentStop_;
    }
    std::size_t stop = hash + 1;
    while (stop < text_.size() && text_[stop] != '\n' && text_[stop] != '\r') {
      ++stop;
    }
    commentHash_ = hash;
    commentStop_ = stop;
    return stop;
  }

  std::string_view text_;
  Spaces known_{.begin = kNone, .end = kNone};  // the last whitespace run walked, if any
  std::size_t commentHash_ = kNone;             // the last comment walked, if any
  std::size_t commentStop_ = kNone;
};

}  // namespace

HostRedirectionPattern::HostRedirectionPattern(std::string_view hostName) : name_(hostName) {}

// Every match's address run "[\s\d\.]+" lies in one maximal run of address characters,
// which contains its opening LF too (a LF is an address character). A run only needs a
// look when the name occurs at a position the run can reach: its end, or inside it.
std::optional<HostRedirectionPattern::Match> HostRedirectionPattern::Find(std::string_view text,
                                                                          std::size_t from) const {
  std::size_t searchFrom = from;
  for (;;) {
    const std::size_t occurrence = name_.Find(text, searchFrom);
    if (occurrence == kNone) {
      return std::nullopt;
    }
    std::size_t runBegin = occurrence;
    while (runBegin > from && IsAddressChar(text[runBegin - 1])) {
      --runBegin;
    }
    std::size_t runEnd = occurrence;
    while (runEnd < text.size() && IsAddressChar(text[runEnd])) {
      ++runEnd;
    }
    if (const std::optional<Match> match = FindInRun(text, runBegin, runEnd)) {
      return match;
    }
    if (runEnd >= text.size()) {
      return std::nullopt;
    }
    searchFrom = runEnd + 1;
  }
}

// Of the LFs in the run the first one is leftmost and sees every name position the later
// ones see, so it opens the match if any LF does. The regex tries the longest address
// first, so the name positions are tried from the run's end backwards, and the first one
// that the name and the line's end fit decides the match.
std::optional<HostRedirectionPattern::Match> HostRedirectionPattern::FindInRun(
    std::string_view text, std::size_t runBegin, std::size_t runEnd) const {
  const std::size_t lf = text.substr(runBegin, runEnd - runBegin).find('\n');
  if (lf == kNone || runEnd - (runBegin + lf) < 2) {
    return std::nullopt;
  }
  const std::size_t begin = runBegin + lf;
  LineEndScanner lineEnds(text);
  for (std::size_t nameAt = runEnd + 1; nameAt-- > begin + 2;) {
    if (!name_.OccursAt(text, nameAt)) {
      continue;
    }
    if (const std::optional<std::size_t> end = lineEnds.EndFrom(nameAt + name_.size())) {
      return Match{.begin = begin, .end = *end};
    }
  }
  return std::nullopt;
}

std::string HostRedirectionPattern::ReplaceEachMatch(std::string_view text) const {
  std::string result;
  result.reserve(text.size());
  std::size_t copied = 0;
  while (const std::optional<Match> match = Find(text, copied)) {
    result.append(text.substr(copied, match->begin - copied));
    result.push_back('\n');
    copied = match->end;
  }
  result.append(text.substr(copied));
  return result;
}

std::string HostRedirectionPattern::RemoveAllMatches(std::string text) const {
  while (Find(text)) {
    text = ReplaceEachMatch(text);
  }
  return text;
}

}  // namespace tessaly
