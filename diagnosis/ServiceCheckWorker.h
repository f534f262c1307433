#pragma once

#include "config/CheckConfig.h"
#include "platform/CodePages.h"
#include "platform/InternetSession.h"

namespace tessaly {

// Check item 7, the body of the service-check thread: whether every URL of the "service"
// group can be opened (ProbeUrls, over the entry texts in UTF-16). Without the group the
// service counts as reachable. Stores `serviceOk` and then, as its last action,
// `serviceDone` (release), which the GUI thread polls. It only reads the configuration.
void ServiceCheckWorker(CheckConfig& config, const Internet& internet, const CodePages& codePages);

}  // namespace tessaly
