#include "diagnosis/ItemDetection.h"

#include <algorithm>
#include <string>

#include "config/TextConversion.h"
#include "diagnosis/ComponentPresence.h"
#include "diagnosis/FileCurrency.h"
#include "diagnosis/ItemState.h"
#include "usbkey/UsbDeviceEnumeration.h"

namespace tessaly {
namespace {

constexpr std::uint64_t kMaxUnsigned32 = 0xFFFFFFFFu;

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// strtoul with base 0, for a 32-bit unsigned long: an out-of-range number reads as the
// largest value, a negative one is negated in the unsigned type.
std::uint32_t ReadUnsigned(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) {
    ++at;
  }
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  int base = 10;
  if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
      at + 2 < text.size() && DigitValue(text[at + 2]) < 16) {
    base = 16;
    at += 2;
  } else if (at < text.size() && text[at] == '0') {
    base = 8;
  }
  std::uint64_t value = 0;
  for (; at < text.size() && DigitValue(text[at]) < base; ++at) {
    value = std::min(kMaxUnsigned32 + 1, value * static_cast<unsigned>(base) +
                                             static_cast<unsigned>(DigitValue(text[at])));
  }
  if (value > kMaxUnsigned32) {
    return static_cast<std::uint32_t>(kMaxUnsigned32);
  }
  const auto number = static_cast<std::uint32_t>(value);
  return negative ? 0u - number : number;
}

void SetCode(ComponentItem& item, std::uint32_t code) {
  item.state = (item.state & ~kItemStateCodeMask) | code;
}

std::uint32_t CodeOf(const ComponentItem& item) { return item.state & kItemStateCodeMask; }

// Runs the item's rules in order; false once one finds the item missing.
bool PresenceRulesHold(const ComponentPlatform& platform, ComponentItem& item) {
  for (const DetectRule& rule : item.detects) {
    const std::u16string text = Utf8ToWide(platform.codePages, rule.text);
    const std::u16string bit = Utf8ToWide(platform.codePages, rule.bit);
    if (rule.type == "clsid") {
      if (IsAddonDisabled(platform.registry, text, false)) {
        item.state |= kItemDisabledInBrowser;
      }
      if (!IsClsidRegistered(platform, text, bit)) {
        return false;
      }
    } else if (rule.type == "reg") {
      if (!RegistryRefExists(platform.registry, text)) {
        return false;
      }
    } else if (rule.type == "file") {
      if (!PathExistsFor(platform, text, bit)) {
        return false;
      }
    } else if (rule.type == "usbkey") {
      const std::vector<std::uint32_t> ids = ParseUsbDeviceIds(rule.text);
      if (AnyUsbDevicePresent(platform.usb, ids)) {
        item.state &= ~kItemNoKeyAttached;
      } else {
        item.state |= kItemNoKeyAttached;
      }
    }
    // "service" and unknown types test nothing.
  }
  return true;
}

}  // namespace

bool IsInstallable(const ComponentItem& item) {
  return !item.installers.empty() ||
         std::ranges::any_of(item.files, [](const ItemFile& file) { return !file.url.empty(); });
}

std::vector<std::uint32_t> ParseUsbDeviceIds(std::string_view text) {
  std::vector<std::uint32_t> ids;
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::uint32_t id = ReadUnsigned(text.substr(0, comma));
    if (id != 0) {
      ids.push_back(id);
    }
    if (comma == std::string_view::npos) {
      return ids;
    }
    text.remove_prefix(comma + 1);
  }
}

void DetectItems(const ComponentPlatform& platform, std::vector<ComponentItem>& items) {
  for (ComponentItem& item : items) {
    // From scratch, flag bits included: a rule that does not run leaves its bit clear.
    item.state = kItemStateCurrent;
    if (!PresenceRulesHold(platform, item)) {
      SetCode(item, kItemStateMissing);
    } else {
      const bool allCurrent = std::ranges::all_of(
          item.files, [&platform](const ItemFile& file) { return IsFileCurrent(platform, file); });
      if (!allCurrent) {
        SetCode(item, kItemStateOutdated);
      }
    }
    if (IsInstallable(item)) {
      if (CodeOf(item) == kItemStateOutdated) {
        SetCode(item, kItemStateOutdatedInstallable);
      } else if (CodeOf(item) == kItemStateMissing) {
        SetCode(item, kItemStateMissingInstallable);
      }
    }
  }
}

}  // namespace tessaly
