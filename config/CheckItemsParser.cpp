#include "config/CheckItemsParser.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "config/DerivedValues.h"
#include "config/xml/XmlReader.h"

namespace tessaly {
namespace {

// What the files and installers of one document are resolved against.
struct ItemContext {
  const std::string& base;
  const ConfigPlatform& platform;
  unsigned windowsMajor;
};

// "NT6" asks for Vista or later, "NT5" for anything older; an unknown condition (a
// lower-case "nt6" included) never holds, so a typo cannot install on the wrong system.
bool InstallerConditionHolds(std::string_view condition, unsigned windowsMajor) {
  if (condition.empty()) {
    return true;
  }
  if (condition == "NT6") {
    return windowsMajor >= 6;
  }
  if (condition == "NT5") {
    return windowsMajor < 6;
  }
  return false;
}

// The leading decimal digits as a number (0 when there are none). A longer run of digits
// than fits stays at the largest 32-bit value instead of wrapping.
std::int32_t LeadingDecimalNumber(std::string_view text) {
  constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
  std::int32_t number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      break;
    }
    const std::int32_t digit = c - '0';
    if (number > (kLargest - digit) / 10) {
      return kLargest;
    }
    number = number * 10 + digit;
  }
  return number;
}

ConfigEntry ReadEntry(const XmlReader& reader, std::string_view groupType) {
  ConfigEntry entry{.text = reader.Text()};
  if (groupType == "dns") {
    entry.name = reader.AttrValue("name");
    entry.value = reader.AttrValue("ip");
  } else if (groupType == "registry") {
    entry.name = reader.AttrValue("name");
    entry.type = reader.AttrValue("type");
    entry.value = reader.AttrValue("value");
    entry.mask = reader.AttrValue("mask");
  }
  return entry;
}

void ReadGroups(XmlReader& reader, std::vector<ConfigGroup>& groups) {
  while (reader.FindNext("config")) {
    std::string type = reader.AttrValue("type");
    auto group = std::ranges::find(groups, type, &ConfigGroup::type);
    if (group == groups.end()) {
      groups.push_back(ConfigGroup{.type = type});
      group = std::prev(groups.end());
    }
    reader.Descend();
    while (reader.FindNext("entry")) {
      group->entries.push_back(ReadEntry(reader, type));
    }
    reader.Ascend();
  }
}

DetectRule ReadDetectRule(const XmlReader& reader) {
  return DetectRule{
      .text = reader.Text(), .type = reader.AttrValue("type"), .bit = reader.AttrValue("bit")};
}

// A file without its own address is only checked, never downloaded: the base alone names
// no file, and fetching it onto the file's path would replace a working file by a page.
std::string RemoteUrl(std::string_view remote, std::string_view base) {
  return remote.empty() ? std::string() : ResolveAgainstBase(remote, base);
}

ItemFile ReadItemFile(const XmlReader& reader, const ItemContext& context) {
  const ConfigPlatform& platform = context.platform;
  ItemFile file{
      .name = reader.Text(),
      .localPath = ExpandEnvironmentUtf8(platform.codePages, platform.environment,
                                         reader.AttrValue("local")),
      .url = RemoteUrl(reader.AttrValue("remote"), context.base),
      .version = reader.AttrValue("version"),
      .md5 = reader.AttrValue("md5"),
      .sha256 = reader.AttrValue("sha256"),
      .install = reader.AttrValue("install"),
      .bit = reader.AttrValue("bit"),
  };
  if (file.localPath.empty()) {
    file.localPath = DownloadPathFor(platform.codePages, platform.fileSystem, file.url);
  }
  return file;
}

ItemInstaller ReadInstaller(const XmlReader& reader, const ItemContext& context) {
  ItemInstaller installer{
      .url = ResolveAgainstBase(reader.Text(), context.base),
      .command = reader.AttrValue("command"),
      .md5 = reader.AttrValue("md5"),
      .sha256 = reader.AttrValue("sha256"),
  };
  installer.localPath =
      DownloadPathFor(context.platform.codePages, context.platform.fileSystem, installer.url);
  return installer;
}

// `item` and `component` elements share this reading; the reader stands on the element and
// is left there.
ComponentItem ReadComponentItem(XmlReader& reader, const ItemContext& context) {
  ComponentItem item{
      .name = reader.AttrValue("name"),
      .type = reader.AttrValue("type"),
      .tips = reader.AttrValue("tips"),
      .image = reader.AttrValue("image"),
      .className = reader.AttrValue("class"),
      .selectedId = LeadingDecimalNumber(reader.AttrValue("selectedid")),
  };
  reader.Descend();
  while (reader.FindNext("detect")) {
    item.detects.push_back(ReadDetectRule(reader));
  }
  reader.Rewind();
  while (reader.FindNext("file")) {
    item.files.push_back(ReadItemFile(reader, context));
  }
  reader.Rewind();
  while (reader.FindNext("installer")) {
    if (InstallerConditionHolds(reader.AttrValue("condition"), context.windowsMajor)) {
      item.installers.push_back(ReadInstaller(reader, context));
    }
  }
  reader.Ascend();
  return item;
}

void ReadComponentItems(XmlReader& reader, std::string_view elementName, const ItemContext& context,
                        std::vector<ComponentItem>& items) {
  reader.Rewind();
  while (reader.FindNext(elementName)) {
    items.push_back(ReadComponentItem(reader, context));
  }
}

// Every appinfo element replaces the whole record, so the last one wins.
void ReadAppInfo(XmlReader& reader, const ConfigPlatform& platform, AppInfo& appInfo) {
  reader.Rewind();
  while (reader.FindNext("appinfo")) {
    std::string remote = reader.AttrValue("remote");
    std::string localPath = DownloadPathFor(platform.codePages, platform.fileSystem, remote);
    appInfo = AppInfo{
        .version = reader.AttrValue("version"),
        .remote = std::move(remote),
        .localPath = std::move(localPath),
        .md5 = reader.AttrValue("md5"),
        .sha256 = reader.AttrValue("sha256"),
        .imperative = reader.AttrValue("imperative"),
        .installer = reader.AttrValue("installer"),
    };
  }
}

}  // namespace

bool ParseCheckItems(CheckConfig& config, std::string document, const ConfigPlatform& platform) {
  XmlReader reader;
  if (!reader.Parse(std::move(document)) || reader.ElementCount() > kMaxCheckItemsElements ||
      !reader.FindNext("checkitems")) {
    return false;
  }
  config.base = reader.AttrValue("base");
  const ItemContext context{config.base, platform, platform.systemFacts.WindowsMajorVersion()};
  reader.Descend();
  // Each kind is read in its own pass, so the order in which kinds are interleaved in the
  // document does not matter.
  ReadGroups(reader, config.groups);
  ReadComponentItems(reader, "item", context, config.items);
  ReadComponentItems(reader, "component", context, config.components);
  ReadAppInfo(reader, platform, config.appInfo);
  config.configReady.store(true, std::memory_order_release);
  return true;
}

}  // namespace tessaly
