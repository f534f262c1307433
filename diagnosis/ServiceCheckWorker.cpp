#include "diagnosis/ServiceCheckWorker.h"

#include <exception>
#include <string>
#include <vector>

#include "config/TextConversion.h"
#include "platform/HttpDownload.h"

namespace tessaly {
namespace {

bool ServicesReachable(const CheckConfig& config, const Internet& internet,
                       const CodePages& codePages) {
  const ConfigGroup* group = FindGroup(config, "service");
  if (group == nullptr) {
    return true;
  }
  std::vector<std::u16string> urls;
  urls.reserve(group->entries.size());
  for (const ConfigEntry& entry : group->entries) {
    urls.push_back(Utf8ToWide(codePages, entry.text));
  }
  return ProbeUrls(internet, urls);
}

}  // namespace

void ServiceCheckWorker(CheckConfig& config, const Internet& internet, const CodePages& codePages) {
  bool reachable = false;
  // An exception must not end the thread (and with it the program) before serviceDone is
  // set: the GUI thread would wait for it for ever. Running out of memory counts against
  // the item like any other failure.
  try {
    reachable = ServicesReachable(config, internet, codePages);
  } catch (const std::exception&) {
    reachable = false;
  }
  config.serviceOk.store(reachable, std::memory_order_release);
  config.serviceDone.store(true, std::memory_order_release);
}

}  // namespace tessaly
