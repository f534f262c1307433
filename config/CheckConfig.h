#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// Every text of the model holds the document's bytes as they stand (UTF-8, entity references
// already decoded); nothing is trimmed or case-folded. Texts become UTF-16 or ANSI only at
// the system call that needs them.
//
// Every member has a default member initializer, so a designated initializer may name just
// the members it sets.

struct ConfigEntry {
  std::string text{};   // domain, registry key path, service URL, host name or trusted URL
  std::string name{};   // registry value name (registry and dns groups)
  std::string type{};   // "reg_dword", "reg_sz" or "reg_binary" (registry group)
  std::string value{};  // value to enforce (registry) or "|"-separated addresses (dns)
  std::string mask{};   // optional DWORD bit mask (registry group)

  bool operator==(const ConfigEntry&) const = default;
};

struct ConfigGroup {
  std::string type{};
  std::vector<ConfigEntry> entries{};  // document order, across every config of this type

  bool operator==(const ConfigGroup&) const = default;
};

struct DetectRule {
  std::string text{};  // CLSID, registry reference, file path, service name or USB ids
  std::string type{};  // "clsid", "reg", "file", "service" or "usbkey"
  std::string bit{};   // not empty: test the 64-bit view of the system

  bool operator==(const DetectRule&) const = default;
};

struct ItemInstaller {
  std::string url{};        // made absolute against the configuration's base
  std::string command{};    // "%1" stands for the downloaded file
  std::string localPath{};  // where the download goes; empty when no safe path exists
  std::string md5{};
  std::string sha256{};     // 64 hex digits; checked beside md5 when present

  bool operator==(const ItemInstaller&) const = default;
};

struct ItemFile {
  std::string name{};
  std::string localPath{};  // expanded `local`, else the download path of `url`
  std::string url{};        // `remote` made absolute against the base
  std::string version{};    // dotted decimal
  std::string md5{};        // 32 lower-case hex digits
  std::string sha256{};     // 64 hex digits; checked beside md5 when present
  std::string install{};    // e.g. "regserver"
  std::string bit{};

  bool operator==(const ItemFile&) const = default;
};

// State codes of a record (the low 30 bits of its state word, see diagnosis/ItemState.h).
inline constexpr std::uint32_t kItemStateCurrent = 0;
inline constexpr std::uint32_t kItemStateOutdated = 1;
inline constexpr std::uint32_t kItemStateOutdatedInstallable = 2;
inline constexpr std::uint32_t kItemStateMissing = 4;
inline constexpr std::uint32_t kItemStateMissingInstallable = 5;
// What a fresh record holds until the detection has run.
inline constexpr std::uint32_t kItemStateNotDetected = 7;

// One `item` or `component` element.
struct ComponentItem {
  std::string name{};
  std::string type{};  // "ActiveX", "UkeyActiveX", "UActiveX" or "driver"
  std::string tips{};  // version text shown once installed
  std::string image{};
  std::string className{};  // the USB-key probe class of a driver item
  std::vector<DetectRule> detects{};
  std::vector<ItemInstaller> installers{};  // only those whose condition held
  std::vector<ItemFile> files{};
  std::int32_t selectedId = 0;
  // A bit word, not a number: low 30 bits the state code, bit 30 "disabled in the browser",
  // bit 31 "no key of this kind attached"; hence unsigned.
  std::uint32_t state = kItemStateNotDetected;

  bool operator==(const ComponentItem&) const = default;
};

// The program's own update record.
struct AppInfo {
  std::string version{};
  std::string remote{};     // as written, not made absolute
  std::string localPath{};  // download path of `remote`
  std::string md5{};
  std::string sha256{};
  std::string imperative{};  // "1": an available update is mandatory
  std::string installer{};

  bool operator==(const AppInfo&) const = default;
};

// The configuration plus the result flags the checks write. Filled once per start on the
// configuration thread; afterwards only item states and flags change, on the GUI thread.
struct CheckConfig {
  // Stored true last, with release ordering, once a document has been accepted: a thread
  // that loads it true with acquire ordering sees the complete configuration without a lock.
  std::atomic<bool> configReady{false};
  // The service-check worker stores serviceOk, then serviceDone (release); the GUI thread
  // polls serviceDone (acquire) before it reads serviceOk.
  std::atomic<bool> serviceDone{false};

  // Meaningless until the diagnosis step that writes them has run.
  bool homePageOk = false;
  bool registryOk = false;
  bool hostsOk = false;
  bool networkOk = false;
  bool dnsOk = false;
  std::atomic<bool> serviceOk{false};
  bool zoneLevelsOk = false;
  bool trustOk = false;
  bool rootCertOk = false;

  std::string base{};                 // the download server's base URL, ending in "/"
  std::vector<ConfigGroup> groups{};  // one per distinct type, in order of first appearance
  std::vector<ComponentItem> items{};
  std::vector<ComponentItem> components{};
  AppInfo appInfo;
};

// The group with exactly this type (case-sensitive, whole text); nullptr when there is none.
const ConfigGroup* FindGroup(const CheckConfig& config, std::string_view type);

}  // namespace tessaly
