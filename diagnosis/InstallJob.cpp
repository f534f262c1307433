#include "diagnosis/InstallJob.h"

namespace tessaly {

std::vector<InstallJob> JobsFor(const ComponentItem& item, int itemIndex) {
  std::vector<InstallJob> jobs;
  if (!item.installers.empty()) {
    for (const ItemInstaller& installer : item.installers) {
      jobs.push_back({.itemIndex = itemIndex,
                      .url = installer.url,
                      .localPath = installer.localPath,
                      .md5 = installer.md5,
                      .sha256 = installer.sha256,
                      .run = {.installerPath = installer.localPath, .command = installer.command}});
    }
    return jobs;
  }
  for (const ItemFile& file : item.files) {
    if (file.url.empty()) {
      continue;  // nothing to download: the file is only checked
    }
    jobs.push_back({.itemIndex = itemIndex,
                    .url = file.url,
                    .localPath = file.localPath,
                    .md5 = file.md5,
                    .sha256 = file.sha256,
                    .run = {.installType = file.install, .installedFilePath = file.localPath}});
  }
  return jobs;
}

}  // namespace tessaly
