#include "shell/update/ReplaceProgramFile.h"

namespace tessaly {
namespace {

// Moves a running target away and the staged file in; puts the target back when the second
// rename fails, so that a refusal never leaves the name empty.
bool SwapRunningTarget(const FileOperations& files, const std::u16string& target,
                       const std::u16string& staged) {
  const std::u16string old = OldCopyPathFor(target);
  files.Delete(old);  // a copy left by an earlier update; it may not exist
  if (!files.Rename(target, old, false)) {
    return false;
  }
  if (!files.Rename(staged, target, false)) {
    files.Rename(old, target, false);
    return false;
  }
  // Still in use while this program runs: the new instance deletes it once this one has
  // ended, and Windows' next start does if that never happens.
  if (!files.Delete(old)) {
    files.DeleteAtRestart(old);
  }
  return true;
}

bool PutStagedInPlace(const FileOperations& files, const std::u16string& target,
                      const std::u16string& staged) {
  if (!files.Exists(target)) {
    return files.Rename(staged, target, false);
  }
  // Replacing in one step works whenever the target is not running.
  return files.Rename(staged, target, true) || SwapRunningTarget(files, target, staged);
}

}  // namespace

std::u16string StagingPathFor(const std::u16string& target) { return target + u".new"; }
std::u16string OldCopyPathFor(const std::u16string& target) { return target + u".old"; }

Replacement ReplaceProgramFile(const FileOperations& files, const std::u16string& target,
                               const std::u16string& source) {
  const std::u16string staged = StagingPathFor(target);
  if (!files.Copy(source, staged, true)) {
    // Nothing could be written beside the target; Windows may still move the download in.
    return files.MoveAtRestart(source, target) ? Replacement::AtRestart : Replacement::Failed;
  }
  if (PutStagedInPlace(files, target, staged)) {
    files.Delete(source);
    return Replacement::Complete;
  }
  if (files.MoveAtRestart(staged, target)) {
    return Replacement::AtRestart;
  }
  files.Delete(staged);
  return Replacement::Failed;
}

}  // namespace tessaly
