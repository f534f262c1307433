#pragma once

#include <string>
#include <vector>

#include "config/CheckConfig.h"

namespace tessaly {

// What the worker runs once a job's download is in place.
struct InstallRun {
  std::string installerPath{};      // not empty: an installer job
  std::string command{};            // the installer's command, "%1" for its path
  std::string installType{};        // a file job's `install`, e.g. "regserver"
  std::string installedFilePath{};  // a file job's local path
  bool operator==(const InstallRun&) const = default;
};

// One download and install, as the worker takes it from the queue. Texts are the
// configuration's UTF-8.
struct InstallJob {
  int itemIndex = 0;        // 0-based position in the items
  std::string url{};        // empty: nothing can be downloaded
  std::string localPath{};  // empty: no safe download path exists
  // The digests the download must have before anything runs it; empty: not checked.
  std::string md5{};
  std::string sha256{};
  InstallRun run{};
  bool operator==(const InstallJob&) const = default;
};

// The jobs of item `itemIndex`: one per installer, in order; an item without installers
// gets one per file with an address instead, current ones included.
std::vector<InstallJob> JobsFor(const ComponentItem& item, int itemIndex);

}  // namespace tessaly
