#include "config/ConfigWorker.h"

#include <memory>
#include <utility>

#include "config/CheckItemsParser.h"
#include "platform/HttpDownload.h"
#include "platform/RegistryValues.h"
#include "platform/WindowsFacts.h"
#include "platform/portable/Utf8Codec.h"

namespace tessaly {
namespace {

// The address to fetch: the override when one is present, else the server's document for
// this system. An override too long to be a URL stays an override, so the result is empty
// and the default document is used, just as for an override that cannot be fetched.
std::u16string DocumentAddress(const ConfigWorkerServices& services) {
  const std::u16string_view name = services.applicationName;
  if (!name.empty() && name.find(u'\\') == std::u16string_view::npos) {
    std::u16string keyPath(kConfigUrlKeyParent);
    keyPath.append(name).append(kConfigUrlSection);
    // Looking the value up creates the key path, as the profile functions do.
    const std::unique_ptr<RegistryKey> key = services.registry.CreateKey(
        RegistryRoot::CurrentUser, keyPath, RegistryAccess::Read, RegistryView::Default);
    if (key != nullptr) {
      RegistryRead<std::u16string> url =
          ReadString(*key, kConfigUrlValueName, (kMaxConfigUrlChars + 1) * sizeof(char16_t));
      if (url.result == ReadResult::TooLong) {
        return {};
      }
      if (url.ok() && !url.value.empty()) {
        return std::move(url.value);
      }
    }
  }
  const bool native64 = IsNative64BitWindows(services.platform.systemFacts.VersionFacts());
  std::string address(services.downloadServer);
  address.append(native64 ? kConfigDocumentPath64 : kConfigDocumentPath32);
  return DecodeUtf8(address);
}

// The parser fills lists without emptying them; configReady is its last store.
bool ParseInto(CheckConfig& config, std::string document, const ConfigPlatform& platform) {
  config.groups.clear();
  config.items.clear();
  config.components.clear();
  return ParseCheckItems(config, std::move(document), platform);
}

// The text to parse out of a download: empty when the pinned keys refuse it. An accepted
// sequence newer than the last is remembered before the parse, so a replay of an older
// document is refused from now on.
std::string AcceptedText(const ConfigWorkerServices& services, const std::string& download) {
  if (download.empty()) {
    return {};
  }
  AcceptedSequence* const sequences = services.acceptedSequence;
  const std::uint32_t last = sequences != nullptr ? sequences->Last() : 0;
  const DocumentCheck check = CheckDownloadedDocument(download, services.pinnedKeys, last);
  switch (check.verdict) {
    case DocumentVerdict::Unpinned:
      return download;
    case DocumentVerdict::Accepted:
      if (sequences != nullptr && check.sequence > last) {
        sequences->Remember(check.sequence);
      }
      return std::string(check.text);
    case DocumentVerdict::Unsigned:
    case DocumentVerdict::BadSignature:
    case DocumentVerdict::Replayed:
      break;
  }
  return {};
}

}  // namespace

void ConfigWorker(const ConfigWorkerServices& services, const ConfigWorkerResults& results) {
  {
    std::string document;
    const std::unique_ptr<InternetSession> session = services.internet.OpenSession();
    const std::u16string address = DocumentAddress(services);
    if (session != nullptr && !address.empty()) {
      document = AcceptedText(services, DownloadToMemory(*session, address));
    }
    // A downloaded text that is no configuration (a captive portal's page, a cut-off
    // document) is a failed download like any other: without the fall-back the program
    // would have nothing to check, and a check on nothing would report the PC as fit.
    if (!document.empty()) {
      results.online.store(1);
    }
    if (document.empty() || !ParseInto(results.config, std::move(document), services.platform)) {
      results.online.store(0);
      document = services.resources.LoadResourceBytes(kDefaultDocumentResource, kResourceTypeHtml);
      if (!document.empty()) {
        ParseInto(results.config, std::move(document), services.platform);
      }
    }
  }
  results.running.store(false, std::memory_order_release);
}

}  // namespace tessaly
