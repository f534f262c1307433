#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "config/CheckConfig.h"
#include "config/DocumentAcceptance.h"
#include "config/ConfigPlatform.h"
#include "platform/BankServers.h"
#include "platform/InternetSession.h"
#include "platform/ModuleResources.h"
#include "platform/Registry.h"

namespace tessaly {

// The administrator's override of the document's address: a REG_SZ value under
// HKEY_CURRENT_USER\Software\Brimvane\<application name>\Quaymark. Nothing in the program
// writes it.
inline constexpr std::u16string_view kConfigUrlValueName = u"ConfigUrl";
inline constexpr std::u16string_view kConfigUrlKeyParent = u"Software\\Brimvane\\";
inline constexpr std::u16string_view kConfigUrlSection = u"\\Quaymark";
// The longest override taken, in UTF-16 units: the longest URL WinINet accepts. A longer one
// is an override that cannot be fetched.
inline constexpr std::size_t kMaxConfigUrlChars = 2083;
// The embedded default document.
inline constexpr std::string_view kDefaultDocumentResource = "item.xml";

// What the worker reaches the system through; every service outlives the run.
struct ConfigWorkerServices {
  const Internet& internet;
  const Registry& registry;
  const ModuleResources& resources;
  // Parsing, and the system facts that choose between the 32-bit and 64-bit documents.
  const ConfigPlatform& platform;
  // The program file's name without extension; it names the override's key.
  std::u16string applicationName{};
  // Scheme and host of the download server, without a trailing slash.
  std::string_view downloadServer = kDownloadServer;
  // The bank's document keys this build pins. None: a downloaded document is used as it
  // comes, signed or not. Some: only a document signed by one of them, not older than the
  // last accepted, is used; any other counts as a failed download.
  std::span<const DocumentKey> pinnedKeys{};
  // Where the last accepted sequence is kept between starts; none: nothing is remembered.
  AcceptedSequence* acceptedSequence = nullptr;
};

// Where the worker reports: members of the main window, read by the GUI thread.
struct ConfigWorkerResults {
  CheckConfig& config;
  // 1 when the document came from the network, 0 when the embedded default was used.
  // Stored before the document is parsed, so that configReady stays the last word written.
  std::atomic<int>& online;
  // Set by whoever starts the worker; stored false (release) as the worker's very last act,
  // once its session is closed.
  std::atomic<bool>& running;
};

// Fetches the check-item document once and parses it into the configuration: from the
// override when one is set, else from the download server (the 64-bit document on 64-bit
// Windows 6 and later, else the 32-bit one), with one attempt and a 30-second connect
// time-out through a session of its own; when that gives no text, a document that is not
// sound or a document the pinned keys refuse, from the embedded default (`online` 0). Only a
// default that is missing or not sound leaves the configuration not ready.
//
// Meant to run on a worker thread of the caller's; callable directly as well.
void ConfigWorker(const ConfigWorkerServices& services, const ConfigWorkerResults& results);

}  // namespace tessaly
