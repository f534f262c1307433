#pragma once

#include <string>

#include "platform/FileOperations.h"

namespace tessaly {

enum class Replacement {
  Complete,   // the new file is under the target's name now
  AtRestart,  // Windows puts it there at its next start
  Failed,     // nothing changed for good; the target is as it was
};

// The name beside the target under which the complete new file is written before any name
// changes, and the name the running program is moved to.
std::u16string StagingPathFor(const std::u16string& target);
std::u16string OldCopyPathFor(const std::u16string& target);

// Puts the file `source` in place of `target`, which may be the running program: a running
// program cannot be replaced or deleted, but it can be renamed, so it is moved to its
// ".old" name and the new file takes its place; the ".old" copy goes as soon as it can
// (now, at Windows' next start, or when the new instance deletes it).
//
// The copy, the one slow step, goes to the staging name first; only then do names change,
// each in one step, and a failed second rename puts the program back. So whatever step the
// swap is stopped at, the target's name holds the old or the complete new program, except
// in the instant between moving a running program away and moving the new file in, which
// Windows allows no other way. `source` is deleted once the new file is in place. What
// cannot be finished now is left to Windows' next start.
Replacement ReplaceProgramFile(const FileOperations& files, const std::u16string& target,
                               const std::u16string& source);

}  // namespace tessaly
