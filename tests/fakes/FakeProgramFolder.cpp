#include "tests/fakes/FakeProgramFolder.h"

namespace tessaly {
namespace {

// Windows takes "/" for "\\" in paths.
std::u16string Normal(std::u16string path) {
  for (char16_t& c : path) {
    if (c == u'/') {
      c = u'\\';
    }
  }
  return path;
}

}  // namespace

bool FakeProgramFolder::Change() const {
  if (stopAfterChanges && changes >= *stopAfterChanges) {
    return false;
  }
  ++changes;
  return true;
}

bool FakeProgramFolder::Exists(const std::u16string& path) const {
  return files.contains(Normal(path));
}

bool FakeProgramFolder::Copy(const std::u16string& fromPath, const std::u16string& toPath,
                             bool overwrite) const {
  const std::u16string from = Normal(fromPath);
  const std::u16string to = Normal(toPath);
  const auto source = files.find(from);
  if (source == files.end() || failingCopyTargets.contains(to) || running.contains(to) ||
      (!overwrite && files.contains(to))) {
    return false;
  }
  const std::string bytes = source->second;
  if (!Change()) {
    return false;
  }
  files[to] = bytes.substr(0, bytes.size() / 2);
  if (!Change()) {
    return false;
  }
  files[to] = bytes;
  return true;
}

bool FakeProgramFolder::Rename(const std::u16string& fromPath, const std::u16string& toPath,
                               bool replace) const {
  const std::u16string from = Normal(fromPath);
  const std::u16string to = Normal(toPath);
  if (!files.contains(from) || refusedRenameSources.contains(from) || running.contains(to) ||
      (!replace && files.contains(to)) || !Change()) {
    return false;
  }
  files[to] = files[from];
  files.erase(from);
  if (running.erase(from) != 0) {
    running.insert(to);
  }
  return true;
}

bool FakeProgramFolder::Delete(const std::u16string& anyPath) const {
  const std::u16string path = Normal(anyPath);
  if (!files.contains(path) || running.contains(path) || !Change()) {
    return false;
  }
  files.erase(path);
  return true;
}

bool FakeProgramFolder::MoveAtRestart(const std::u16string& from, const std::u16string& to) const {
  if (restartSchedulingRefused || !Change()) {
    return false;
  }
  atRestart.push_back({Normal(from), Normal(to)});
  return true;
}

bool FakeProgramFolder::DeleteAtRestart(const std::u16string& path) const {
  return MoveAtRestart(path, u"");
}

}  // namespace tessaly
